#include "Shape.h"

#include "Handles.h"

namespace zendra::tk {

void Shape::SetBorderColor(OleColor color) {
    borderColor_ = color;
    Invalidate();
}

void Shape::SetBorderVisible(bool visible) {
    border_ = visible;
    Invalidate();
}

void Shape::SetFillColor(OleColor color) {
    fillColor_ = color;
    Invalidate();
}

void Shape::SetFilled(bool filled) {
    filled_ = filled;
    Invalidate();
}

void Shape::Paint(HDC dc, int originX, int originY) const {
    RECT r = PixelRect(originX, originY);
    // A shape narrower than a pixel still shows as a one-pixel line.
    if (r.right <= r.left) r.right = r.left + 1;
    if (r.bottom <= r.top) r.bottom = r.top + 1;
    if (filled_) {
        UniqueBrush fill(CreateSolidBrush(ResolveColor(fillColor_)));
        FillRect(dc, &r, fill.Get());
    }
    if (border_) {
        UniqueBrush frame(CreateSolidBrush(ResolveColor(borderColor_)));
        FrameRect(dc, &r, frame.Get());
    }
}

} // namespace zendra::tk
