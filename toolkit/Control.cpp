#include "Control.h"

namespace zendra::tk {

namespace {
constexpr wchar_t kClassName[] = L"ZendraControl";
}

Control::Control(std::wstring name) : name_(std::move(name)) {}

void Control::Create(HWND parent, int left, int top, int width, int height) {
    RegisterClassOnce(kClassName, CS_DBLCLKS, nullptr);
    place_.Move(nullptr, surface_, left, top, width, height);
    CreateHandle(0, kClassName, name_.c_str(),
                 WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (visible_ ? WS_VISIBLE : 0),
                 TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height), parent);
    surface_.Attach(Hwnd());
    Move(left, top, width, height);
}

void Control::Move(int left, int top, int width, int height) {
    place_.Move(Hwnd(), surface_, left, top, width, height);
    // A layout that sets the control's own size comes back here; it runs once per change.
    if (resizing_) return;
    resizing_ = true;
    try {
        OnResize();
    } catch (...) {
        // Only to lower the flag: the failure goes on to the caller.
        resizing_ = false;
        throw;
    }
    resizing_ = false;
    Repaint();
}

void Control::SetVisible(bool visible) {
    visible_ = visible;
    if (Hwnd() != nullptr) ShowWindow(Hwnd(), visible ? SW_SHOWNA : SW_HIDE);
}

bool Control::ShowsFocus() const noexcept {
    return Hwnd() != nullptr && GetFocus() == Hwnd() && KeyboardCuesShown();
}

void Control::Repaint() const noexcept {
    if (Hwnd() != nullptr) InvalidateRect(Hwnd(), nullptr, FALSE);
}

LRESULT Control::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // everything is painted in WM_PAINT, double-buffered
    case WM_PAINT: {
        BufferedPaint paint(Hwnd());
        surface_.PaintAll(paint.Dc());
        if (ShowsFocus()) PaintFocus(paint.Dc());
        return 0;
    }
    case WM_PRINTCLIENT:
        surface_.PaintAll(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Repaint();
        break;
    case WM_KEYDOWN:
        if (wParam == VK_TAB) {
            PassDialogKey(Hwnd(), wParam);
            return 0;
        }
        if (OnKey(message, wParam, lParam)) return 0;
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            PassDialogKey(Hwnd(), wParam);
            return 0;
        }
        break;
    case WM_KEYUP:
    case WM_CHAR:
        if (OnKey(message, wParam, lParam)) return 0;
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    default:
        if (surface_.HandleMouse(message, wParam, lParam)) return 0;
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

} // namespace zendra::tk
