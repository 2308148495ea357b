#include "DibSection.h"

namespace zendra::tk {

DibSection::DibSection(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dc_.Reset(CreateCompatibleDC(nullptr));
    if (!bitmap_ || !dc_ || bits == nullptr) FailToMake("a bitmap to draw in");
    bits_ = static_cast<std::uint32_t*>(bits);
    old_ = SelectObject(dc_.Get(), bitmap_.Get());
}

DibSection::DibSection(DibSection&& other) noexcept
    : dc_(std::move(other.dc_)), bitmap_(std::move(other.bitmap_)),
      old_(std::exchange(other.old_, nullptr)), bits_(std::exchange(other.bits_, nullptr)),
      width_(std::exchange(other.width_, 0)), height_(std::exchange(other.height_, 0)) {}

DibSection& DibSection::operator=(DibSection&& other) noexcept {
    if (this != &other) {
        Free();
        dc_ = std::move(other.dc_);
        bitmap_ = std::move(other.bitmap_);
        old_ = std::exchange(other.old_, nullptr);
        bits_ = std::exchange(other.bits_, nullptr);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
    }
    return *this;
}

DibSection::~DibSection() noexcept { Free(); }

void DibSection::Free() noexcept {
    // The bitmap must leave the DC before either is deleted.
    if (dc_ && old_ != nullptr) SelectObject(dc_.Get(), old_);
    old_ = nullptr;
    dc_.Reset();
    bitmap_.Reset();
    bits_ = nullptr;
}

COLORREF DibSection::Color(int x, int y) const noexcept {
    const std::uint32_t p = Pixel(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

} // namespace zendra::tk
