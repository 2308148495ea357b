// A picture element. Not stretched, it takes the size of its picture; stretched, the picture
// fills whatever size the element has.
#pragma once

#include "Element.h"
#include "Picture.h"

namespace zendra::tk {

class Image : public Element {
public:
    Image() noexcept = default;
    explicit Image(bool stretch) noexcept : stretch_(stretch) {}

    const Picture& GetPicture() const noexcept { return picture_; }
    void SetPicture(const Picture& picture);
    bool Stretch() const noexcept { return stretch_; }
    void SetStretch(bool stretch);

    void Paint(HDC dc, int originX, int originY) const override;

private:
    Picture picture_;
    bool stretch_ = false;
};

} // namespace zendra::tk
