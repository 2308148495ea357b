#include "ToolTips.h"

#include <commctrl.h>

#include <stdexcept>

namespace zendra::tk {

RECT ToolTips::PlaceOf(const Element& element) noexcept {
    for (const Element* e = &element; e != nullptr; e = e->Parent())
        if (!e->Visible()) return RECT{0, 0, 0, 0};
    const int left = element.AbsoluteLeft();
    const int top = element.AbsoluteTop();
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(left + element.Width()),
            TwipsToPixels(top + element.Height())};
}

void ToolTips::Add(HWND window, const Element& element, std::wstring text) {
    if (!tips_) {
        INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
        tips_.Reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                    WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                    GetModuleHandleW(nullptr), nullptr));
        if (!tips_) throw std::runtime_error("cannot create tooltips");
    }
    tools_.push_back({window, &element, std::move(text)});
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = window;
    info.uId = tools_.size();
    info.rect = PlaceOf(element);
    info.lpszText = tools_.back().text.data();
    SendMessageW(tips_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void ToolTips::Refresh() noexcept {
    for (std::size_t i = 0; i < tools_.size(); ++i) {
        TTTOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.hwnd = tools_[i].window;
        info.uId = i + 1;
        info.rect = PlaceOf(*tools_[i].element);
        SendMessageW(tips_.Get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

} // namespace zendra::tk
