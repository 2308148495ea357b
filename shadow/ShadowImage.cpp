#include "ShadowImage.h"

#include <algorithm>
#include <cmath>

namespace zendra {

StripRect RightStripRect(const OwnerRect& owner, std::int32_t depth) noexcept {
    return {owner.x + owner.cx, owner.y + depth, depth, owner.cy};
}

StripRect BottomStripRect(const OwnerRect& owner, std::int32_t depth) noexcept {
    // cx - D would be negative for an owner narrower than the depth: no pixels instead.
    return {owner.x + depth, owner.y + owner.cy, std::max(owner.cx - depth, 0), depth};
}

StripRect StripRectOf(Strip strip, const OwnerRect& owner, std::int32_t depth) noexcept {
    return strip == Strip::Right ? RightStripRect(owner, depth) : BottomStripRect(owner, depth);
}

std::uint32_t ResolveColorWith(std::uint32_t color,
                               const std::function<std::uint32_t(std::int32_t)>& systemColor) {
    if (color & 0x80000000u) return systemColor(static_cast<std::int32_t>(color & 0x7FFFFFFFu));
    return color;
}

std::uint32_t PremultipliedPixel(std::uint32_t color, std::int32_t alpha) noexcept {
    const double f = alpha / 255.0;
    // Exact products never fall halfway between two integers, so rounding is unambiguous.
    const auto scale = [f](std::uint32_t component) {
        return static_cast<std::uint32_t>(std::lround(component * f));
    };
    const std::uint32_t red = scale(color & 0xFF);
    const std::uint32_t green = scale((color >> 8) & 0xFF);
    const std::uint32_t blue = scale((color >> 16) & 0xFF);
    return (static_cast<std::uint32_t>(alpha & 0xFF) << 24) | (red << 16) | (green << 8) | blue;
}

std::int32_t RightRowStrength(std::int32_t row, std::int32_t height, std::int32_t depth) noexcept {
    // The rising ramp wins where a short strip has a row within the depth of both ends.
    if (row < depth) return row * 255 / depth;
    if (row >= height - depth) return (height - row) * 255 / depth;
    return 255;
}

std::int32_t BottomColumnStrength(std::int32_t column, std::int32_t depth) noexcept {
    return column < depth ? column * 255 / depth : 255;
}

std::int32_t StripAlpha(Strip strip, std::int32_t column, std::int32_t row, std::int32_t width,
                        std::int32_t height, const ShadowLook& look) noexcept {
    if (!look.soft) return 255;
    if (look.depth <= 0) return 0;
    if (strip == Strip::Right)
        return RightRowStrength(row, height, look.depth) * (width - column) / look.depth;
    return BottomColumnStrength(column, look.depth) * row / look.depth;
}

namespace {

void StorePixel(std::span<std::byte> pixels, std::size_t offset, std::uint32_t value) noexcept {
    pixels[offset] = static_cast<std::byte>(value & 0xFF);
    pixels[offset + 1] = static_cast<std::byte>((value >> 8) & 0xFF);
    pixels[offset + 2] = static_cast<std::byte>((value >> 16) & 0xFF);
    pixels[offset + 3] = static_cast<std::byte>(value >> 24);
}

std::size_t OffsetOf(std::int32_t column, std::int32_t row, std::int32_t width) noexcept {
    return 4 * (static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(column));
}

// The outer end of the right strip's highest rows, as (columns from the right, rows from the top).
constexpr struct {
    std::int32_t fromRight;
    std::int32_t fromTop;
} kLunaCorner[] = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {1, 2},
                   {2, 2}, {3, 2}, {1, 3}, {2, 3}, {1, 4}, {1, 5}};

} // namespace

void FillStrip(std::span<std::byte> pixels, Strip strip, std::int32_t width, std::int32_t height,
               const ShadowLook& look) noexcept {
    if (width <= 0 || height <= 0 || pixels.size() != OffsetOf(0, height, width)) return;
    // One premultiplied value per alpha: the profile only ever asks for 0 to 255.
    std::uint32_t pixelOf[256];
    for (std::int32_t a = 0; a < 256; ++a)
        pixelOf[a] = PremultipliedPixel(look.color, a);
    for (std::int32_t r = 0; r < height; ++r)
        for (std::int32_t c = 0; c < width; ++c)
            StorePixel(pixels, OffsetOf(c, r, width),
                       pixelOf[std::clamp(StripAlpha(strip, c, r, width, height, look), 0, 255)]);
    if (strip != Strip::Right || !look.luna) return;
    for (const auto& corner : kLunaCorner) {
        const std::int32_t c = width - corner.fromRight;
        const std::int32_t r = height - corner.fromTop;
        if (c >= 0 && r >= 0) StorePixel(pixels, OffsetOf(c, r, width), 0);
    }
}

std::vector<std::byte> RenderStrip(Strip strip, std::int32_t width, std::int32_t height,
                                   const ShadowLook& look) {
    if (width <= 0 || height <= 0) return {};
    std::vector<std::byte> pixels(OffsetOf(0, height, width));
    FillStrip(pixels, strip, width, height, look);
    return pixels;
}

std::uint8_t ConstantAlpha(std::int32_t transparency) noexcept {
    return static_cast<std::uint8_t>(std::clamp(transparency, 0, 255));
}

} // namespace zendra
