#include "DibSection.h"

namespace zendra {

DibSection::DibSection(int width, int height) noexcept : width_(width), height_(height) {
    if (width <= 0 || height <= 0) return;
    dc_.Reset(CreateCompatibleDC(nullptr));
    if (!dc_) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // positive: bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || !bits) return;
    selection_.emplace(dc_.Get(), bitmap_.Get());
    bits_ = bits;
}

std::span<std::byte> DibSection::Pixels() const noexcept {
    if (!bits_) return {};
    return {static_cast<std::byte*>(bits_),
            static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4};
}

} // namespace zendra
