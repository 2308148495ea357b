#include "ArtworkPixels.h"

#include <memory>
#include <type_traits>

#include <windows.h>

namespace {

struct BitmapDeleter {
    void operator()(HBITMAP b) const noexcept { DeleteObject(b); }
};
using BitmapPtr = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ScreenDc() = default;
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc() { ReleaseDC(nullptr, dc); }
};

} // namespace

std::optional<ArtworkPixels> loadArtwork(int id) {
    BitmapPtr bitmap(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP,
                                                     0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap)
        return std::nullopt;
    DIBSECTION section{};
    if (GetObjectW(bitmap.get(), sizeof section, &section) == 0)
        return std::nullopt;
    ArtworkPixels out;
    out.width = section.dsBm.bmWidth;
    out.height = section.dsBm.bmHeight;
    out.bitsPerPixel = section.dsBm.bmBitsPixel;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    out.rgb.resize(static_cast<std::size_t>(out.width) * out.height);
    ScreenDc screen;
    if (GetDIBits(screen.dc, bitmap.get(), 0, out.height, out.rgb.data(), &info, DIB_RGB_COLORS) != out.height)
        return std::nullopt;
    for (auto& p : out.rgb)
        p &= 0xFFFFFF; // BGRA in memory reads as 0x00RRGGBB
    return out;
}
