#include "Image.h"

namespace zendra::tk {

void Image::SetPicture(const Picture& picture) {
    // Pollers assign the same picture again and again: that needs no repaint.
    if (picture_.SameAs(picture)) return;
    picture_ = picture;
    if (!stretch_ && !picture_.Empty())
        Move(Left(), Top(), PixelsToTwips(picture_.Width()), PixelsToTwips(picture_.Height()));
    Invalidate();
}

void Image::SetStretch(bool stretch) {
    stretch_ = stretch;
    if (!stretch_ && !picture_.Empty())
        Move(Left(), Top(), PixelsToTwips(picture_.Width()), PixelsToTwips(picture_.Height()));
    Invalidate();
}

void Image::Paint(HDC dc, int originX, int originY) const {
    if (picture_.Empty()) return;
    const RECT r = PixelRect(originX, originY);
    if (stretch_)
        picture_.Draw(dc, r.left, r.top, r.right - r.left, r.bottom - r.top);
    else
        picture_.Draw(dc, r.left, r.top);
}

} // namespace zendra::tk
