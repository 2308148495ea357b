// A 32-bit bottom-up device-independent bitmap selected into its own memory
// device context: the picture that a layered window is given with UpdateLayeredWindow.
#pragma once

#include "Handles.h"

#include <cstddef>
#include <optional>
#include <span>

namespace zendra {

class DibSection {
  public:
    // Rows are stored bottom-up; an empty or failed image leaves the object empty.
    DibSection(int width, int height) noexcept;
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;
    ~DibSection() noexcept = default;

    explicit operator bool() const noexcept { return bits_ != nullptr; }
    HDC Dc() const noexcept { return dc_.Get(); }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    // Four bytes per pixel: blue, green, red, alpha; row 0 is the lowest line.
    std::span<std::byte> Pixels() const noexcept;

  private:
    int width_;
    int height_;
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    void* bits_ = nullptr;
    // Declared last so that the bitmap leaves the device context before either is freed.
    std::optional<ScopedSelect> selection_;
};

} // namespace zendra
