// Where a window of the toolkit sits, in twips, with the surface of elements that covers it: a
// control on its form and a form on the screen are placed alike.
#pragma once

#include "Surface.h"

#include <windows.h>

namespace zendra::tk {

struct Placement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    // Records the new place, sizes the surface to it and moves the window there (when there is
    // one yet: a window made later is made at the recorded place).
    void Move(HWND window, Surface& surface, int toLeft, int toTop, int toWidth, int toHeight);
};

} // namespace zendra::tk
