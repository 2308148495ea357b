#include "Units.h"

namespace zendra::tk {

void PlaceWindow(HWND window, int left, int top, int width, int height) noexcept {
    SetWindowPos(window, nullptr, TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height), SWP_NOZORDER | SWP_NOACTIVATE);
}

COLORREF ResolveColor(OleColor color) noexcept {
    if (IsSystemColor(color)) return GetSysColor(static_cast<int>(color & 0xFFu));
    return static_cast<COLORREF>(color & 0x00FFFFFFu);
}

} // namespace zendra::tk
