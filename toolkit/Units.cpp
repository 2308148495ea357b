#include "Units.h"

namespace zendra::tk {

COLORREF ResolveColor(OleColor color) noexcept {
    if (IsSystemColor(color)) return GetSysColor(static_cast<int>(color & 0xFFu));
    return static_cast<COLORREF>(color & 0x00FFFFFFu);
}

} // namespace zendra::tk
