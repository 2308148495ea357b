// The host window a frame control acts on: the top-level window it sits in. A host that is one of
// the program's forms is driven through the form (so the form's own unload step runs and its
// geometry stays known to it); any other window through plain window calls. Geometry in twips.
#pragma once

#include <windows.h>

namespace zendra::tk {
class Form;
}

namespace zendra {

class FrameHost {
public:
    // The top-level window that contains `child` (none for a null handle).
    explicit FrameHost(HWND child) noexcept;

    HWND Hwnd() const noexcept { return hwnd_; }

    // Each operation throws Failure when there is no host window.
    void Unload();
    void Minimize();
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int twips);
    void SetTop(int twips);
    void SetWidth(int twips);
    void SetHeight(int twips);

    // The whole screen, not the work area.
    static int ScreenWidth() noexcept;
    static int ScreenHeight() noexcept;

private:
    RECT WindowRect() const;
    void Place(const RECT& r);

    HWND hwnd_ = nullptr;
    tk::Form* form_ = nullptr;
};

} // namespace zendra
