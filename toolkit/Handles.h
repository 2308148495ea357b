// Owners for the raw Win32 handles: every window, device context, GDI object, icon, find handle and
// registry key has exactly one.
#pragma once

#include "base/SystemHandles_win.h"
#include "base/UniqueHandle.h"

#include <windows.h>

#include <string>

namespace zendra::tk {

// A window, bitmap or other object the system would not make: a Failure naming it, with the
// system's own words where it gave a reason (GDI often gives none).
[[noreturn]] void FailToMake(const std::string& what);

// The engine's owner, for the handles below; kernel handles have the engine's KernelHandle.
using zendra::UniqueHandle;

// The traits of a handle that `Release` closes.
template <typename T, auto Release> struct ClosedBy {
    using Handle = T;
    static void Close(T handle) noexcept { Release(handle); }
};

using UniqueWindow = UniqueHandle<ClosedBy<HWND, &DestroyWindow>>;
using UniqueDc = UniqueHandle<ClosedBy<HDC, &DeleteDC>>; // from CreateCompatibleDC / CreateDC
using UniqueBitmap = UniqueHandle<ClosedBy<HBITMAP, &DeleteObject>>;
using UniqueBrush = UniqueHandle<ClosedBy<HBRUSH, &DeleteObject>>;
using UniqueFont = UniqueHandle<ClosedBy<HFONT, &DeleteObject>>;
using UniquePen = UniqueHandle<ClosedBy<HPEN, &DeleteObject>>;
using UniqueRegion = UniqueHandle<ClosedBy<HRGN, &DeleteObject>>;
using UniqueIcon = UniqueHandle<ClosedBy<HICON, &DestroyIcon>>; // from LoadImage without LR_SHARED
using zendra::UniqueFind;                                       // from FindFirstFile
using UniqueRegistryKey = UniqueHandle<ClosedBy<HKEY, &RegCloseKey>>;

// A device context borrowed with GetDC; given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() noexcept {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    HDC Get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back at the end of the scope.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope() noexcept {
        if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Text drawn transparently in one colour for the scope; the DC's mode and colour come back after.
class TextLookScope {
public:
    TextLookScope(HDC dc, COLORREF color) noexcept
        : dc_(dc), mode_(SetBkMode(dc, TRANSPARENT)), color_(SetTextColor(dc, color)) {}
    TextLookScope(const TextLookScope&) = delete;
    TextLookScope& operator=(const TextLookScope&) = delete;
    ~TextLookScope() noexcept {
        SetTextColor(dc_, color_);
        SetBkMode(dc_, mode_);
    }

private:
    HDC dc_;
    int mode_;
    COLORREF color_;
};

// Saves the DC's state (clip region, origin, colours) and restores it at the end of the scope.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) noexcept : dc_(dc), saved_(SaveDC(dc)) {}
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;
    ~SavedDcState() noexcept {
        if (saved_ != 0) RestoreDC(dc_, saved_);
    }

private:
    HDC dc_;
    int saved_;
};

// The body of a WM_PAINT handler: BeginPaint, an off-screen bitmap of the client size to draw
// into, and at the end one blit to the window and EndPaint. Use it only inside WM_PAINT.
class BufferedPaint {
public:
    explicit BufferedPaint(HWND window) noexcept;
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    ~BufferedPaint() noexcept;

    // The DC to draw into (the buffer, or the window's DC if no buffer could be made).
    HDC Dc() const noexcept { return memory_ ? memory_.Get() : paint_.hdc; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    int width_ = 0;
    int height_ = 0;
    UniqueDc memory_;
    UniqueBitmap bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
};

} // namespace zendra::tk
