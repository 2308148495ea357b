// A picture: a bitmap (shared, so that assigning a picture to another image copies no pixels),
// optionally a cell of it, drawn at its size or stretched, with an optional transparent colour.
#pragma once

#include "Handles.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace zendra::tk {

class Picture {
public:
    Picture() noexcept = default;
    // A bitmap resource of the executable (or of `module`); throws Failure if missing.
    static Picture FromResource(int id, HMODULE module = nullptr);
    // A picture made of pixels 0x00RRGGBB, row by row from the top (solid fills, tests).
    static Picture FromPixels(int width, int height, const std::vector<std::uint32_t>& pixels);
    static Picture Solid(int width, int height, COLORREF color);

    bool Empty() const noexcept { return !bitmap_; }
    int Width() const noexcept { return cell_.right - cell_.left; }
    int Height() const noexcept { return cell_.bottom - cell_.top; }

    // The same bitmap, limited to a rectangle of it (in pixels of this picture).
    Picture Cell(int left, int top, int width, int height) const;
    // Pixels of exactly this colour are not drawn.
    Picture WithTransparentColor(COLORREF color) const;
    std::optional<COLORREF> TransparentColor() const noexcept { return transparent_; }

    // Draws into the pixel rectangle; stretched when its size differs from the picture's.
    void Draw(HDC dc, int x, int y, int width, int height) const noexcept;
    void Draw(HDC dc, int x, int y) const noexcept { Draw(dc, x, y, Width(), Height()); }

    bool SameAs(const Picture& other) const noexcept {
        return bitmap_ == other.bitmap_ && EqualRect(&cell_, &other.cell_) &&
               transparent_ == other.transparent_;
    }

private:
    std::shared_ptr<const UniqueBitmap> bitmap_;
    RECT cell_{};
    std::optional<COLORREF> transparent_;
};

} // namespace zendra::tk
