#include "ToolTips.h"

#include "Window.h"

#include <commctrl.h>

#include <cstddef>

namespace zendra::tk {

namespace {

// comctl32 5.8x, which every Windows loads for a program without a Common Controls 6 manifest,
// refuses the structure's full size (48 bytes, with lpReserved); the version 2 size (44 bytes)
// is what it and every later version take.
// TTTOOLINFOW_V2_SIZE, in a form the compiler can check.
constexpr UINT kToolInfoSize = offsetof(TTTOOLINFOW, lParam) + sizeof(LPARAM);
static_assert(kToolInfoSize == 44 && sizeof(TTTOOLINFOW) == 48,
              "the tool structure comctl32 5.8x accepts");

TTTOOLINFOW ToolInfo(HWND window, std::size_t id) noexcept {
    TTTOOLINFOW info{};
    info.cbSize = kToolInfoSize;
    info.hwnd = window;
    info.uId = id;
    return info;
}

} // namespace

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
        if (!tips_) FailToMake("the tooltips");
    }
    tools_.push_back({window, &element, std::move(text)});
    TTTOOLINFOW info = ToolInfo(window, tools_.size());
    info.uFlags = TTF_SUBCLASS;
    info.rect = PlaceOf(element);
    info.lpszText = tools_.back().text.data();
    if (!SendMessageW(tips_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info))) {
        tools_.pop_back();
        FailToMake("a tooltip");
    }
}

void ToolTips::Refresh() noexcept {
    for (std::size_t i = 0; i < tools_.size(); ++i) {
        TTTOOLINFOW info = ToolInfo(tools_[i].window, i + 1);
        // TTM_NEWTOOLRECTW answers nothing: whether the tool is known is asked first.
        if (!SendMessageW(tips_.Get(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info))) {
            ReportLostFailure(L"a tooltip's tool is missing");
            continue;
        }
        info.rect = PlaceOf(*tools_[i].element);
        SendMessageW(tips_.Get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

} // namespace zendra::tk
