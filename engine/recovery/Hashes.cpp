#include "Hashes.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace zendra::par2 {

Md5Digest Md5Of(const void* data, std::size_t size) {
    Md5 md5;
    md5.Update(data, size);
    return md5.Final();
}

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const Bytef*>(data);
    uLong value = crc;
    while (size > 0) { // zlib takes at most a uInt at a time
        const std::size_t part = std::min<std::size_t>(size, UINT_MAX);
        value = crc32(value, bytes, static_cast<uInt>(part));
        bytes += part;
        size -= part;
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace zendra::par2
