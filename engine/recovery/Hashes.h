// MD5 and CRC-32 as PAR 2.0 uses them: the base's hashes, with the digest as the packets hold it.
#pragma once

#include "base/Hash.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace zendra::par2 {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
  public:
    void Update(const void* data, std::size_t size) { hasher_.Update(data, size); }
    // The digest of everything given; the object is spent.
    Md5Digest Final() {
        const auto digest = hasher_.Finish();
        Md5Digest bytes{};
        std::copy(digest.begin(), digest.end(), bytes.begin());
        return bytes;
    }

  private:
    Hasher hasher_{HashKind::Md5};
};

inline Md5Digest Md5Of(const void* data, std::size_t size) {
    Md5 md5;
    md5.Update(data, size);
    return md5.Final();
}

using zendra::Crc32;

} // namespace zendra::par2
