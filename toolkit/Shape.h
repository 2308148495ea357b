// A rectangle shape: an outline, a fill, or both. Shapes take no mouse input; it reaches
// whatever lies behind them.
#pragma once

#include "Element.h"

namespace zendra::tk {

class Shape : public Element {
public:
    OleColor BorderColor() const noexcept { return borderColor_; }
    void SetBorderColor(OleColor color);
    bool BorderVisible() const noexcept { return border_; }
    void SetBorderVisible(bool visible);
    OleColor FillColor() const noexcept { return fillColor_; }
    void SetFillColor(OleColor color);
    bool Filled() const noexcept { return filled_; }
    void SetFilled(bool filled);

    void Paint(HDC dc, int originX, int originY) const override;

protected:
    bool TakesMouse() const noexcept override { return false; }

private:
    OleColor borderColor_ = SystemColor(COLOR_WINDOWTEXT);
    OleColor fillColor_ = 0;
    bool border_ = true;
    bool filled_ = false;
};

} // namespace zendra::tk
