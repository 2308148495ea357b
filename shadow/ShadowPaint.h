// Puts the shadow strips on their layered windows, and draws the control's design-time picture.
#pragma once

#include "ShadowImage.h"

#include <windows.h>

#include <cstdint>

namespace zendra {

// A colour with its top bit set names a system colour; any other is returned unchanged.
COLORREF ResolveColor(std::uint32_t color);

// Renders one strip into a new 32-bit image and gives it to `window` with one
// UpdateLayeredWindow, which also places and sizes the window. An empty strip clears the window's
// picture. Returns whether the window took the picture.
bool RenderShadow(HWND window, const StripRect& strip, Strip which, const ShadowLook& look,
                  std::int32_t transparency) noexcept;
// Both strips for the owner's rectangle: the right strip first, then the bottom strip.
void RenderShadows(HWND rightWindow, HWND bottomWindow, const OwnerRect& owner,
                   const ShadowLook& look, std::int32_t transparency) noexcept;

// Fills [left, left + width) x [top, top + height) with a solid colour.
void PaintBox(HDC dc, int left, int top, int width, int height, COLORREF color) noexcept;

// The control's own 32 x 32 surface in a form designer: a small window with its shadow.
constexpr int kDesignPictureSize = 32;
void PaintDesignPicture(HDC dc) noexcept;

} // namespace zendra
