#include "Surface.h"

#include "Handles.h"

#include <windowsx.h>

#include <vector>

namespace zendra::tk {

namespace {

int ButtonOf(UINT message) noexcept {
    switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: return kLeftButton;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return kRightButton;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: return kMiddleButton;
    default: return 0;
    }
}

int HeldButtons(WPARAM wParam) noexcept {
    return ((wParam & MK_LBUTTON) ? kLeftButton : 0) | ((wParam & MK_RBUTTON) ? kRightButton : 0) |
           ((wParam & MK_MBUTTON) ? kMiddleButton : 0);
}

int ShiftState(WPARAM wParam) noexcept {
    return ((wParam & MK_SHIFT) ? kShiftKey : 0) | ((wParam & MK_CONTROL) ? kCtrlKey : 0) |
           (GetKeyState(VK_MENU) < 0 ? kAltKey : 0);
}

} // namespace

Surface::Surface() : alive_(std::make_shared<bool>(true)) {}

Surface::~Surface() noexcept { *alive_ = false; }

void Surface::RequestRepaint() const noexcept {
    if (window_ == nullptr || repaintPending_) return;
    repaintPending_ = true;
    // Transparent windows in front of this one, children or siblings, show it: they repaint too.
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    if (!(GetWindowLongW(window_, GWL_STYLE) & WS_CHILD)) return;
    RECT mine{};
    GetWindowRect(window_, &mine);
    for (HWND s = GetWindow(window_, GW_HWNDPREV); s != nullptr; s = GetWindow(s, GW_HWNDPREV)) {
        RECT theirs{}, common{};
        GetWindowRect(s, &theirs);
        if (IsWindowVisible(s) && IntersectRect(&common, &mine, &theirs))
            RedrawWindow(s, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

void Surface::Forget(const Element& element) noexcept {
    if (captured_ == &element) captured_ = nullptr;
}

void Surface::PaintAll(HDC dc) const {
    // Cleared first: a change made while painting asks for the next paint.
    repaintPending_ = false;
    RECT client{0, 0, TwipsToPixels(Width()), TwipsToPixels(Height())};
    if (window_ != nullptr) GetClientRect(window_, &client);
    if (Opaque()) {
        UniqueBrush brush(CreateSolidBrush(ResolveColor(BackColor())));
        FillRect(dc, &client, brush.Get());
    } else {
        PaintParentBackground(window_, dc);
    }
    PaintChildren(dc, 0, 0);
}

void PaintParentBackground(HWND window, HDC dc) noexcept {
    HWND parent = window != nullptr ? GetParent(window) : nullptr;
    if (parent == nullptr) return;
    RECT mine{};
    GetWindowRect(window, &mine);
    {
        POINT offset{0, 0};
        MapWindowPoints(window, parent, &offset, 1);
        SavedDcState state(dc);
        OffsetWindowOrgEx(dc, offset.x, offset.y, nullptr);
        SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    }
    // Sibling windows beneath this one show through too, the lowest first.
    std::vector<HWND> below;
    for (HWND s = GetWindow(window, GW_HWNDNEXT); s != nullptr; s = GetWindow(s, GW_HWNDNEXT)) {
        RECT theirs{}, common{};
        GetWindowRect(s, &theirs);
        if (IsWindowVisible(s) && IntersectRect(&common, &mine, &theirs)) below.push_back(s);
    }
    for (auto it = below.rbegin(); it != below.rend(); ++it) {
        POINT offset{0, 0};
        MapWindowPoints(window, *it, &offset, 1);
        SavedDcState state(dc);
        OffsetWindowOrgEx(dc, offset.x, offset.y, nullptr);
        SendMessageW(*it, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    }
}

bool Surface::Inside(const Element& element, int x, int y) noexcept {
    const int left = element.AbsoluteLeft();
    const int top = element.AbsoluteTop();
    return x >= left && y >= top && x < left + element.Width() && y < top + element.Height();
}

Element* Surface::Target(int x, int y) noexcept {
    Element* hit = HitTest(x, y);
    if (hit == nullptr) hit = this; // outside the client area while not captured
    while (hit != this && (!hit->Enabled() || !hit->Visible())) hit = hit->Parent();
    return hit;
}

void Surface::Raise(Element* target, Event<const MouseArgs&> Element::* event, int button,
                    int shift, int x, int y) {
    MouseArgs args;
    args.button = button;
    args.shift = shift;
    args.x = static_cast<float>(x - (target == this ? 0 : target->AbsoluteLeft()));
    args.y = static_cast<float>(y - (target == this ? 0 : target->AbsoluteTop()));
    (target->*event)(args);
}

void Surface::CancelPress() {
    Element* pressed = captured_;
    captured_ = nullptr;
    buttonsDown_ = 0;
    clickPending_ = false;
    if (pressed != nullptr) pressed->PressCancelled();
}

bool Surface::HandleMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CAPTURECHANGED) {
        // Someone else took the mouse (a modal dialog, a move loop, Alt+Tab): the press is over.
        if (reinterpret_cast<HWND>(lParam) != window_) CancelPress();
        return true;
    }
    if (message == WM_CANCELMODE) {
        CancelPress();
        return false; // the default procedure releases the mouse
    }
    const bool isMouse = message == WM_MOUSEMOVE || ButtonOf(message) != 0;
    if (!isMouse) return false;

    const int x = PixelsToTwips(GET_X_LPARAM(lParam));
    const int y = PixelsToTwips(GET_Y_LPARAM(lParam));
    const int shift = ShiftState(wParam);
    const int button = ButtonOf(message);
    const auto alive = alive_;

    switch (message) {
    case WM_MOUSEMOVE: {
        Element* target = captured_ != nullptr ? captured_ : Target(x, y);
        Raise(target, &Element::MouseMove, HeldButtons(wParam), shift, x, y);
        return true;
    }
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK: {
        Element* target = Target(x, y);
        if (captured_ == nullptr) {
            captured_ = target;
            if (window_ != nullptr) SetCapture(window_);
        } else {
            target = captured_;
        }
        buttonsDown_ |= button;
        if (message == WM_LBUTTONDBLCLK) {
            // The second press of a double click is a double click, never a second click.
            clickPending_ = false;
            target->DblClick();
        } else {
            if (button == kLeftButton) clickPending_ = true;
            Raise(target, &Element::MouseDown, button, shift, x, y);
        }
        return true;
    }
    default: { // a button went up
        // A release whose press this surface never saw, or whose press was cancelled.
        if ((buttonsDown_ & button) == 0) return true;
        Element* target = captured_ != nullptr ? captured_ : Target(x, y);
        const bool click = button == kLeftButton && clickPending_ &&
                           (target == this ? x >= 0 && y >= 0 && x < Width() && y < Height()
                                           : Inside(*target, x, y));
        if (button == kLeftButton) clickPending_ = false;
        buttonsDown_ &= ~button;
        if (buttonsDown_ == 0) {
            captured_ = nullptr;
            if (window_ != nullptr && GetCapture() == window_) ReleaseCapture();
        }
        Raise(target, &Element::MouseUp, button, shift, x, y);
        // A handler of MouseUp may have disabled or hidden the element: then there is no click.
        if (click && *alive && (target == this || (target->Enabled() && target->Visible())))
            target->Click();
        return true;
    }
    }
}

} // namespace zendra::tk
