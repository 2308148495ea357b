#include "base/Hash.h"

#include "base/ChecksumLine.h"

#include <zlib.h>

#if ZENDRA_XXHASH_DISPATCH
// Debian's libxxhash picks the widest vector unit the processor has (AVX2 hashes twice as fast
// as the SSE2 that x86-64 code may assume), and the hashing is most of a split's own work.
#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>
#include <xxh_x86dispatch.h>
#else
// Compiled into this file, so that the 32-bit Windows build needs no library of its own.
#define XXH_INLINE_ALL
#include <xxhash.h>
#endif

#include <algorithm>
#include <climits>

namespace zendra {
namespace {

class Crc32State : public Hasher::State {
  public:
    void Update(const std::uint8_t* data, std::size_t size) override {
        crc_ = Crc32(crc_, data, size);
    }
    void Finish(std::uint8_t* digest) override {
        for (int i = 0; i < 4; ++i)
            digest[i] = static_cast<std::uint8_t>(crc_ >> (24 - 8 * i));
    }

  private:
    std::uint32_t crc_ = 0;
};

class Xxh128State : public Hasher::State {
  public:
    Xxh128State() { XXH3_128bits_reset(&state_); }
    void Update(const std::uint8_t* data, std::size_t size) override {
        XXH3_128bits_update(&state_, data, size);
    }
    void Finish(std::uint8_t* digest) override {
        XXH128_canonical_t canonical;
        XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(&state_));
        std::copy(std::begin(canonical.digest), std::end(canonical.digest), digest);
    }

  private:
    XXH3_state_t state_;
};

} // namespace

std::size_t DigestSize(HashKind kind) {
    switch (kind) {
    case HashKind::Md5:
    case HashKind::Xxh128:
        return 16;
    case HashKind::Sha1:
        return 20;
    case HashKind::Sha256:
        return 32;
    case HashKind::Sha512:
        return 64;
    case HashKind::Crc32:
        break;
    }
    return 4;
}

Hasher::Hasher(HashKind kind) : kind_(kind) {
    if (kind == HashKind::Crc32)
        state_ = std::make_unique<Crc32State>();
    else if (kind == HashKind::Xxh128)
        state_ = std::make_unique<Xxh128State>();
    else
        state_ = SystemHash(kind);
}
Hasher::Hasher(Hasher&&) noexcept = default;
Hasher& Hasher::operator=(Hasher&&) noexcept = default;
Hasher::~Hasher() = default;

void Hasher::Update(const void* data, std::size_t size) {
    state_->Update(static_cast<const std::uint8_t*>(data), size);
}

std::vector<std::uint8_t> Hasher::Finish() {
    std::vector<std::uint8_t> digest(DigestSize(kind_));
    state_->Finish(digest.data());
    return digest;
}

std::string Hasher::Hex() {
    const std::vector<std::uint8_t> digest = Finish();
    return HexOf(digest.data(), digest.size());
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

} // namespace zendra
