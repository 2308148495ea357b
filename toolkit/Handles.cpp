#include "Handles.h"

#include "base/Failure.h"
#include "base/SystemText.h"

namespace zendra::tk {

void FailToMake(const std::string& what) {
    const DWORD code = GetLastError();
    throw Failure("The system could not make " + what +
                      (code == ERROR_SUCCESS ? "." : ": " + SystemText(code) + "."),
                  FailureKind::Io);
}

BufferedPaint::BufferedPaint(HWND window) noexcept : window_(window) {
    BeginPaint(window_, &paint_);
    RECT client{};
    GetClientRect(window_, &client);
    width_ = client.right - client.left;
    height_ = client.bottom - client.top;
    if (width_ <= 0 || height_ <= 0 || paint_.hdc == nullptr) return;
    memory_.Reset(CreateCompatibleDC(paint_.hdc));
    bitmap_.Reset(CreateCompatibleBitmap(paint_.hdc, width_, height_));
    if (!memory_ || !bitmap_) {
        memory_.Reset();
        return;
    }
    oldBitmap_ = SelectObject(memory_.Get(), bitmap_.Get());
}

BufferedPaint::~BufferedPaint() noexcept {
    if (memory_) {
        BitBlt(paint_.hdc, 0, 0, width_, height_, memory_.Get(), 0, 0, SRCCOPY);
        SelectObject(memory_.Get(), oldBitmap_);
    }
    EndPaint(window_, &paint_);
}

} // namespace zendra::tk
