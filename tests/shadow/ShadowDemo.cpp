// Shows two plain windows with their shadows for a few seconds, for a screenshot:
// a soft black shadow with the rounded corner, and a hard blue one.
#include "Handles.h"
#include "ShadowPaint.h"

#include <cstdlib>
#include <vector>

namespace {

using zendra::UniqueWindow;

UniqueWindow Popup(DWORD exStyle, const wchar_t* text, const zendra::OwnerRect& at, HWND owner) {
    return UniqueWindow(CreateWindowExW(exStyle, L"STATIC", text, WS_POPUP | WS_BORDER, at.x, at.y,
                                        at.cx, at.cy, owner, nullptr, GetModuleHandleW(nullptr),
                                        nullptr));
}

void Show(const zendra::OwnerRect& owner, const zendra::ShadowLook& look, int transparency,
          std::vector<UniqueWindow>& windows) {
    windows.push_back(Popup(0, L"owner", owner, nullptr));
    const HWND ownerWindow = windows.back().Get();
    ShowWindow(ownerWindow, SW_SHOWNOACTIVATE);
    const DWORD shadowStyle = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOPARENTNOTIFY;
    windows.push_back(Popup(shadowStyle, L"", {}, ownerWindow));
    const HWND right = windows.back().Get();
    windows.push_back(Popup(shadowStyle, L"", {}, ownerWindow));
    const HWND bottom = windows.back().Get();
    SetWindowLongPtrW(right, GWL_STYLE, WS_POPUP);
    SetWindowLongPtrW(bottom, GWL_STYLE, WS_POPUP);
    zendra::RenderShadows(right, bottom, owner, look, transparency);
    ShowWindow(right, SW_SHOWNOACTIVATE);
    ShowWindow(bottom, SW_SHOWNOACTIVATE);
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    std::vector<UniqueWindow> windows;
    Show({100, 100, 444, 319}, {10, true, 0, true}, 120, windows);
    Show({640, 140, 300, 200}, {20, false, 0x00A05000, false}, 80, windows);
    const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    MSG msg;
    while (GetTickCount() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(20);
    }
    // Shadows first, then their owners.
    while (!windows.empty())
        windows.pop_back();
    return 0;
}
