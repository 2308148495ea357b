#include "io/CopyBuffer.h"

namespace zendra {

namespace {

constexpr std::uintptr_t kPage = 4096;

} // namespace

CopyBuffer::CopyBuffer(std::size_t size, std::uint64_t from, std::uint64_t to)
    : storage_(size + 2 * kPage), size_(size) {
    const auto start = reinterpret_cast<std::uintptr_t>(storage_.data());
    const std::uintptr_t page = (start + kPage - 1) & ~(kPage - 1);
    // Read in place, the read's distance is 0 and the write's `apart`; when that is short, both
    // become long by moving the buffer 64 bytes on.
    const std::uint64_t apart = (to - from) % kPage;
    const std::uint64_t shift = apart >= 1 && apart < 64 ? 64 : 0;
    data_ = storage_.data() + (page - start) + (from + shift) % kPage;
}

} // namespace zendra
