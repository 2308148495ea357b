// Twips (1/1440 inch, 15 per pixel at 96 dpi) and the colour values of the stored designs.
#pragma once

#include <windows.h>

#include <cstdint>

namespace zendra::tk {

inline constexpr int kTwipsPerPixel = 15;

// Rounds to the nearest pixel, halves away from zero, so that 10 twips still make a 1-pixel line.
constexpr int TwipsToPixels(int twips) noexcept {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int PixelsToTwips(int pixels) noexcept { return pixels * kTwipsPerPixel; }

// Moves and sizes a window to a place given in twips, its z-order and activation left alone.
void PlaceWindow(HWND window, int left, int top, int width, int height) noexcept;

// A colour as stored: 0x00BBGGRR, or 0x800000nn for system colour nn.
using OleColor = std::uint32_t;

constexpr OleColor SystemColor(int index) noexcept {
    return 0x80000000u | static_cast<OleColor>(index);
}
constexpr bool IsSystemColor(OleColor color) noexcept { return (color & 0x80000000u) != 0; }

// The colour to draw with: system colours resolved with GetSysColor.
COLORREF ResolveColor(OleColor color) noexcept;

} // namespace zendra::tk
