#include "Placement.h"

#include "Units.h"

namespace zendra::tk {

void Placement::Move(HWND window, Surface& surface, int toLeft, int toTop, int toWidth,
                     int toHeight) {
    left = toLeft;
    top = toTop;
    width = toWidth;
    height = toHeight;
    surface.Move(0, 0, width, height);
    if (window != nullptr) PlaceWindow(window, left, top, width, height);
}

} // namespace zendra::tk
