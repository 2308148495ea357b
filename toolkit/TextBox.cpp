#include "TextBox.h"

#include "Units.h"
#include "Window.h"


namespace zendra::tk {

TextBox::TextBox(std::wstring name) : name_(std::move(name)), font_(DefaultFont()) {}

TextBox::~TextBox() noexcept {
    if (hwnd_) {
        // Hand the window its own procedure back before it goes.
        SetWindowLongPtrW(hwnd_.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        SetWindowLongPtrW(hwnd_.Get(), GWLP_USERDATA, 0);
        hwnd_.Reset();
    }
}

void TextBox::Create(HWND parent, int left, int top, int width, int height) {
    HWND hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", pendingText_.c_str(),
                                WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL | (visible_ ? WS_VISIBLE : 0),
                                TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                                TwipsToPixels(height), parent, nullptr, GetModuleHandleW(nullptr),
                                nullptr);
    if (hwnd == nullptr) FailToMake("a text box");
    hwnd_.Reset(hwnd);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TextBox::Proc)));
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(font_)), FALSE);
}

std::wstring TextBox::Text() const {
    if (!hwnd_) return pendingText_;
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_.Get())) + 1, L'\0');
    const int length = GetWindowTextW(hwnd_.Get(), text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

void TextBox::SetText(const std::wstring& text) {
    pendingText_ = text;
    if (hwnd_) SetWindowTextW(hwnd_.Get(), text.c_str());
}

void TextBox::SetFont(const FontDesc& font) {
    font_ = font;
    if (hwnd_) SendMessageW(hwnd_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(font_)), TRUE);
}

void TextBox::Move(int left, int top, int width, int height) {
    if (hwnd_) PlaceWindow(hwnd_.Get(), left, top, width, height);
}

void TextBox::SetVisible(bool visible) {
    visible_ = visible;
    if (hwnd_) ShowWindow(hwnd_.Get(), visible ? SW_SHOWNA : SW_HIDE);
}

void TextBox::Focus() noexcept {
    if (hwnd_) SetFocus(hwnd_.Get());
}

LRESULT CALLBACK TextBox::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<TextBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    WNDPROC original = self->original_;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_.Release();
    } else if (message == WM_MOUSEWHEEL) {
        // A one-line field has nothing to scroll: the wheel goes to the window around it, which
        // passes it to the list under the pointer (Wine's field would keep it).
        return SendMessageW(GetParent(hwnd), message, wParam, lParam);
    } else if (message == WM_KEYDOWN && wParam == VK_TAB) {
        PassDialogKey(hwnd, wParam);
        return 0;
    } else if (message == WM_CHAR) {
        try {
            auto code = static_cast<wchar_t>(wParam);
            // Tab was used at its key-down; the field has no use for the character.
            if (code == L'\t') return 0;
            self->KeyPress(code);
            if (code == 0) return 0; // discarded before it reaches the field
            // Enter (let through by the handler) and Esc belong to the form: a dialog's keys.
            if (code == L'\r' || code == 0x1B) {
                PassDialogKey(hwnd, code == L'\r' ? VK_RETURN : VK_ESCAPE);
                return 0;
            }
            wParam = code;
        } catch (...) {
            // Nothing may unwind through the system's call of the window procedure: the key is
            // dropped.
            ReportCurrentException(L"a text box's key handler failed");
            return 0;
        }
    }
    return CallWindowProcW(original, hwnd, message, wParam, lParam);
}

} // namespace zendra::tk
