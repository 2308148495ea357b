#include "OnTop.h"

namespace zendra {

void SetOnTop(HWND hWnd, bool OnTop) noexcept {
    SetWindowPos(hWnd, OnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

} // namespace zendra
