// A text box: the system's edit control as a child window placed in twips, with the typed
// characters passed through a KeyPress event that can change or discard them (set to 0).
#pragma once

#include "Event.h"
#include "Font.h"
#include "Handles.h"

#include <string>

namespace zendra::tk {

class TextBox {
public:
    explicit TextBox(std::wstring name);
    TextBox(const TextBox&) = delete;
    TextBox& operator=(const TextBox&) = delete;
    ~TextBox() noexcept;

    const std::wstring& Name() const noexcept { return name_; }
    void Create(HWND parent, int left, int top, int width, int height);
    HWND Hwnd() const noexcept { return hwnd_.Get(); }

    std::wstring Text() const;
    void SetText(const std::wstring& text);
    void SetFont(const FontDesc& font);
    void Move(int left, int top, int width, int height);
    void SetVisible(bool visible);
    void Focus() noexcept;

    // The typed character's code; a handler may replace it, 0 discards it.
    Event<wchar_t&> KeyPress;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    std::wstring name_;
    UniqueWindow hwnd_;
    WNDPROC original_ = nullptr;
    FontDesc font_;
    std::wstring pendingText_;
    bool visible_ = true;
};

} // namespace zendra::tk
