// The elements of one window: the outermost container, as large as the client area. It paints
// them (its own background first: a colour, or the parent window's pixels when transparent) and
// routes the window's mouse messages to the frontmost element under the pointer. The element
// that gets a button press keeps the mouse until every button is up, so its mouse-up comes to it
// wherever the pointer is released; a left release over it raises its Click. When another window
// takes the mouse before the release (or the system cancels the mode), the element gets
// PressCancelled instead, and a later release of that press is ignored. A disabled element passes
// the mouse to its container.
#pragma once

#include "Element.h"

#include <memory>

namespace zendra::tk {

class Surface : public Container {
public:
    Surface();
    ~Surface() noexcept override;

    void Attach(HWND window) noexcept {
        window_ = window;
        repaintPending_ = false;
    }
    HWND Window() const noexcept { return window_; }

    // Paints background and elements into a DC that shows the client area.
    void PaintAll(HDC dc) const;
    // Handles a mouse message (and the loss of the mouse); false for other messages and for
    // those the default window procedure must see too (WM_CANCELMODE).
    bool HandleMouse(UINT message, WPARAM wParam, LPARAM lParam);

    // The element that holds the mouse between a press and the release, or null.
    Element* Captured() const noexcept { return captured_; }

protected:
    void RequestRepaint() const noexcept override;
    void Forget(const Element& element) noexcept override;

private:
    Element* Target(int x, int y) noexcept;
    void Raise(Element* target, Event<const MouseArgs&> Element::* event, int button, int shift,
               int x, int y);
    static bool Inside(const Element& element, int x, int y) noexcept;
    void CancelPress();

    HWND window_ = nullptr;
    Element* captured_ = nullptr;
    int buttonsDown_ = 0;
    bool clickPending_ = false;
    // The whole window is invalid already: further requests until it is painted cost nothing
    // (a list adding thousands of rows asks thousands of times).
    mutable bool repaintPending_ = false;
    std::shared_ptr<bool> alive_;
};

// Paints the parent window's client area behind `window` into `dc` (WM_PRINTCLIENT), so that a
// transparent window shows its host.
void PaintParentBackground(HWND window, HDC dc) noexcept;

} // namespace zendra::tk
