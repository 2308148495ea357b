// The pictures of the drop shadow's two strips: geometry, alpha profiles and pixel arithmetic.
// Portable and pure; the Windows part only hands the result to a layered window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace zendra {

// The owner window's screen rectangle, in pixels.
struct OwnerRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

// A strip's screen position and image size, in pixels.
struct StripRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

enum class Strip { Right, Bottom };

struct ShadowLook {
    std::int32_t depth = 10; // D, 0 to 99
    bool soft = true;        // graded or uniform profile
    std::uint32_t color = 0; // resolved, 0x00BBGGRR
    bool luna = false;       // cut the right strip's top in a small quarter-round
};

// The right strip lies along the owner's right edge, the bottom strip along its bottom edge,
// both moved down and right by the depth. An owner narrower than the depth has no bottom strip.
StripRect RightStripRect(const OwnerRect& owner, std::int32_t depth) noexcept;
StripRect BottomStripRect(const OwnerRect& owner, std::int32_t depth) noexcept;
StripRect StripRectOf(Strip strip, const OwnerRect& owner, std::int32_t depth) noexcept;

// A value with its top bit set names system colour (value & 0xFF...) answered by `systemColor`;
// any other value is returned unchanged.
std::uint32_t ResolveColorWith(std::uint32_t color,
                               const std::function<std::uint32_t(std::int32_t)>& systemColor);

// The colour premultiplied by alpha a (0 to 255), as a little-endian 32-bit value: alpha in the
// top byte, then red, green, and blue in the low byte.
std::uint32_t PremultipliedPixel(std::uint32_t color, std::int32_t alpha) noexcept;

// Soft profile strengths (0 to 255) before the per-pixel ramp.
std::int32_t RightRowStrength(std::int32_t row, std::int32_t height, std::int32_t depth) noexcept;
std::int32_t BottomColumnStrength(std::int32_t column, std::int32_t depth) noexcept;
// The shadow alpha of one pixel, row 0 being the strip's lowest screen line.
std::int32_t StripAlpha(Strip strip, std::int32_t column, std::int32_t row, std::int32_t width,
                        std::int32_t height, const ShadowLook& look) noexcept;

// Fills a width x height image: four bytes per pixel (blue, green, red, alpha, colour
// premultiplied), rows bottom-up, pixel (c, r) at byte 4 * (r * width + c). `pixels` must hold
// exactly that many bytes.
void FillStrip(std::span<std::byte> pixels, Strip strip, std::int32_t width, std::int32_t height,
               const ShadowLook& look) noexcept;
std::vector<std::byte> RenderStrip(Strip strip, std::int32_t width, std::int32_t height,
                                   const ShadowLook& look);

// The layered windows' constant alpha from the control's Transparency, which may be negative
// (it keeps the sign when reduced modulo 256): a negative value means fully transparent.
std::uint8_t ConstantAlpha(std::int32_t transparency) noexcept;

} // namespace zendra
