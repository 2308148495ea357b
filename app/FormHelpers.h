// Small helpers the main window's panes share.
#pragma once

#include "Label.h"
#include "Skipping.h"
#include "ucShadow.h"

#include <windows.h>

#include <string>

namespace zendra {

// The windows' white background: the window colour, white in every standard scheme (Wine's stock
// one included) and right in high-contrast schemes. The caption-text colour, which once served,
// is white only in XP's standard scheme and dark elsewhere.
inline constexpr tk::OleColor kWindowWhite = tk::SystemColor(COLOR_WINDOW);

// The one-pixel edge of every window of the program: it shows where no shadow is drawn (Windows
// other than XP, or a background as light as the shadow). The system's border colours are white
// in some schemes (Wine's stock one), which left the About and progress windows without an edge.
inline constexpr tk::OleColor kEdgeGrey = 0x00C0C0C0u;

using tk::Skipping;

// Both windows cast the same soft black shadow, set in this order at load.
inline void ConfigureShadow(ucShadow& shadow) noexcept {
    Skipping([&] { shadow.SetSoftShadow(true); });
    Skipping([&] { shadow.SetHideMove(false); });
    Skipping([&] { shadow.SetHideSize(false); });
    Skipping([&] { shadow.SetVisible(true); });
    Skipping([&] { shadow.SetFadeIn(false); });
    Skipping([&] { shadow.SetColor(0); });
    Skipping([&] { shadow.SetDepth(10); });
    Skipping([&] { shadow.SetTransparency(128); });
}

// Lower case as the system's locale has it.
inline std::wstring Lower(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

inline void PlaceLabel(tk::Container& pane, tk::Label& label, const wchar_t* caption, int left,
                       int top, int width, int height) {
    label.SetCaption(caption);
    label.Move(left, top, width, height);
    pane.AddFront(label);
}

// The hourglass while a split or join runs.
class WaitCursor {
public:
    WaitCursor() noexcept : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() noexcept { SetCursor(previous_); }

private:
    HCURSOR previous_;
};

// Gives the keyboard focus back, once a box or dialog has closed, to the control of `window` that
// had it when it opened: the system gives it to the window itself, where typed keys go nowhere.
class FocusKeeper {
  public:
    explicit FocusKeeper(HWND window) noexcept : window_(window), had_(GetFocus()) {}
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;
    ~FocusKeeper() noexcept {
        // Not to a control hidden meanwhile, nor into a window gone or taking no input.
        if (had_ != nullptr && IsChild(window_, had_) && IsWindowVisible(had_) &&
            IsWindowEnabled(had_) && IsWindowEnabled(window_))
            SetFocus(had_);
    }

  private:
    HWND window_;
    HWND had_;
};

// Drops the mouse and keyboard input that arrived while a split or join ran: the window took none
// then, and keys typed meanwhile must not answer the boxes that follow.
inline void DiscardQueuedInput() noexcept {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
}

} // namespace zendra
