#include "ShadowPaint.h"

#include "DibSection.h"
#include "Handles.h"
#include "Window.h"

#include <algorithm>

namespace zendra {

COLORREF ResolveColor(std::uint32_t color) {
    return ResolveColorWith(color, [](std::int32_t index) { return GetSysColor(index); });
}

bool RenderShadow(HWND window, const StripRect& strip, Strip which, const ShadowLook& look,
                  std::int32_t transparency) noexcept {
    // A window keeps its last picture until it is given another: an empty strip gets one
    // transparent pixel, so that a shadow made smaller than a pixel does not linger.
    const bool empty = strip.width <= 0 || strip.height <= 0;
    tk::DibSection image;
    try {
        image = tk::DibSection(empty ? 1 : strip.width, empty ? 1 : strip.height);
    } catch (...) {
        tk::ReportCurrentException(L"a shadow strip's picture");
        return false; // no image: the strip shows nothing new
    }
    const std::span<std::byte> pixels(reinterpret_cast<std::byte*>(image.Pixels()),
                                      static_cast<std::size_t>(image.Width()) *
                                          static_cast<std::size_t>(image.Height()) * 4);
    if (empty)
        std::fill(pixels.begin(), pixels.end(), std::byte{0});
    else
        FillStrip(pixels, which, strip.width, strip.height, look, RowOrder::TopDown);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, ConstantAlpha(transparency), AC_SRC_ALPHA};
    POINT destination{strip.left, strip.top};
    SIZE size{image.Width(), image.Height()};
    POINT source{0, 0};
    return UpdateLayeredWindow(window, nullptr, &destination, &size, image.Dc(), &source, 0, &blend,
                               ULW_ALPHA) != FALSE;
}

void RenderShadows(HWND rightWindow, HWND bottomWindow, const OwnerRect& owner,
                   const ShadowLook& look, std::int32_t transparency) noexcept {
    RenderShadow(rightWindow, RightStripRect(owner, look.depth), Strip::Right, look, transparency);
    RenderShadow(bottomWindow, BottomStripRect(owner, look.depth), Strip::Bottom, look,
                 transparency);
}

void PaintBox(HDC dc, int left, int top, int width, int height, COLORREF color) noexcept {
    tk::UniqueBrush brush(CreateSolidBrush(color));
    const RECT box{left, top, left + width, top + height};
    FillRect(dc, &box, brush.Get());
}

void PaintDesignPicture(HDC dc) noexcept {
    struct Box {
        int left, top, width, height;
        std::uint32_t color;
    };
    static constexpr Box boxes[] = {
        {1, 1, 27, 6, 0x8000001A},  // title band
        {1, 8, 27, 20, 0x8000000C}, // body
        {0, 29, 3, 3, 0x8000000F},  // gap before the bottom shadow
        {3, 29, 29, 3, 0x80000010}, // bottom shadow
        {29, 0, 3, 3, 0x8000000F},  // gap above the right shadow
        {29, 3, 3, 27, 0x80000010}, // right shadow
    };
    for (const auto& box : boxes)
        PaintBox(dc, box.left, box.top, box.width, box.height, ResolveColor(box.color));
}

} // namespace zendra
