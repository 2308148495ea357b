// MD5 (the system's: libmd on Linux, CryptoAPI on Windows) and CRC-32 (zlib's), as PAR 2.0 uses
// them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace zendra::par2 {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
  public:
    Md5();
    Md5(Md5&&) noexcept;
    Md5& operator=(Md5&&) noexcept;
    ~Md5();
    void Update(const void* data, std::size_t size);
    // The digest of everything given; the object is spent.
    Md5Digest Final();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

Md5Digest Md5Of(const void* data, std::size_t size);

// The IEEE CRC-32 (as zlib and PKZIP compute it) of `size` bytes after a running value `crc`
// (0 to start).
std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size);

} // namespace zendra::par2
