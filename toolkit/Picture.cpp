#include "Picture.h"

#include "DibSection.h"

#include <stdexcept>

namespace zendra::tk {

Picture Picture::FromResource(int id, HMODULE module) {
    if (module == nullptr) module = GetModuleHandleW(nullptr);
    HANDLE image = LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (image == nullptr) FailToMake("the picture " + std::to_string(id) + " of the program");
    Picture picture;
    picture.bitmap_ = std::make_shared<const UniqueBitmap>(static_cast<HBITMAP>(image));
    BITMAP info{};
    GetObjectW(image, sizeof(info), &info);
    picture.cell_ = {0, 0, info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
    return picture;
}

Picture Picture::FromPixels(int width, int height, const std::vector<std::uint32_t>& pixels) {
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width * height))
        throw std::invalid_argument("picture size and pixel count differ");
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) FailToMake("a bitmap");
    auto* out = static_cast<std::uint32_t*>(bits);
    for (std::size_t i = 0; i < pixels.size(); ++i) out[i] = pixels[i] & 0x00FFFFFFu;
    Picture picture;
    picture.bitmap_ = std::make_shared<const UniqueBitmap>(std::move(bitmap));
    picture.cell_ = {0, 0, width, height};
    return picture;
}

Picture Picture::Solid(int width, int height, COLORREF color) {
    const std::uint32_t rgb = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    return FromPixels(width, height,
                      std::vector<std::uint32_t>(static_cast<std::size_t>(width * height), rgb));
}

Picture Picture::Cell(int left, int top, int width, int height) const {
    if (left < 0 || top < 0 || width <= 0 || height <= 0 || left + width > Width() ||
        top + height > Height())
        throw std::out_of_range("cell outside the picture");
    Picture cell = *this;
    cell.cell_ = {cell_.left + left, cell_.top + top, cell_.left + left + width,
                  cell_.top + top + height};
    return cell;
}

Picture Picture::WithTransparentColor(COLORREF color) const {
    Picture picture = *this;
    picture.transparent_ = color;
    return picture;
}

void Picture::Draw(HDC dc, int x, int y, int width, int height) const noexcept {
    if (!bitmap_ || width <= 0 || height <= 0) return;
    UniqueDc source(CreateCompatibleDC(dc));
    if (!source) return;
    SelectScope select(source.Get(), bitmap_->Get());
    if (transparent_) {
        TransparentBlt(dc, x, y, width, height, source.Get(), cell_.left, cell_.top, Width(),
                       Height(), *transparent_);
    } else if (width == Width() && height == Height()) {
        BitBlt(dc, x, y, width, height, source.Get(), cell_.left, cell_.top, SRCCOPY);
    } else {
        const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, x, y, width, height, source.Get(), cell_.left, cell_.top, Width(), Height(),
                   SRCCOPY);
        SetStretchBltMode(dc, oldMode);
    }
}

} // namespace zendra::tk
