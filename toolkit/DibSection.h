// A 32-bit top-down DIB section selected into its own memory DC: pixels that code can read and
// write directly, e.g. the image of a layered window or a control painted for a pixel check.
#pragma once

#include "Handles.h"

#include <cstdint>

namespace zendra::tk {

class DibSection {
public:
    DibSection() noexcept = default;
    DibSection(int width, int height); // throws Failure when GDI refuses
    DibSection(DibSection&& other) noexcept;
    DibSection& operator=(DibSection&& other) noexcept;
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;
    ~DibSection() noexcept;

    HDC Dc() const noexcept { return dc_.Get(); }
    HBITMAP Bitmap() const noexcept { return bitmap_.Get(); }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    // Pixels as 0xAARRGGBB, row by row from the top.
    std::uint32_t* Pixels() const noexcept { return bits_; }
    std::uint32_t Pixel(int x, int y) const noexcept { return bits_[y * width_ + x]; }
    // The pixel as a COLORREF (0x00BBGGRR), ignoring alpha.
    COLORREF Color(int x, int y) const noexcept;

private:
    void Free() noexcept;

    UniqueDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

} // namespace zendra::tk
