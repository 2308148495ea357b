// BLAKE2b-512 as RFC 7693 defines it (b2sum's default): neither libmd nor CryptoAPI has it, and
// the check files other tools write beside their parts (NAME.b2, B2SUMS) use it.
#include "base/Hash.h"

#include <array>
#include <cstring>

namespace zendra {
namespace {

constexpr std::array<std::uint64_t, 8> kIv = {
    0x6a09e667f3bcc908, 0xbb67ae8584caa73b, 0x3c6ef372fe94f82b, 0xa54ff53a5f1d36f1,
    0x510e527fade682d1, 0x9b05688c2b3e6c1f, 0x1f83d9abfb41bd6b, 0x5be0cd19137e2179};

constexpr std::uint8_t kSigma[12][16] = {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
                                         {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
                                         {11, 8, 12, 0, 5, 2, 15, 13, 10, 14, 3, 6, 7, 1, 9, 4},
                                         {7, 9, 3, 1, 13, 12, 11, 14, 2, 6, 5, 10, 4, 0, 15, 8},
                                         {9, 0, 5, 7, 2, 4, 10, 15, 14, 1, 11, 12, 6, 8, 3, 13},
                                         {2, 12, 6, 10, 0, 11, 8, 3, 4, 13, 7, 5, 15, 14, 1, 9},
                                         {12, 5, 1, 15, 14, 13, 4, 10, 0, 7, 6, 3, 9, 2, 8, 11},
                                         {13, 11, 7, 14, 12, 1, 3, 9, 5, 0, 15, 4, 8, 6, 2, 10},
                                         {6, 15, 14, 9, 11, 3, 0, 8, 12, 2, 13, 7, 1, 4, 10, 5},
                                         {10, 2, 8, 4, 7, 6, 1, 5, 15, 11, 9, 14, 3, 12, 13, 0},
                                         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
                                         {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3}};

constexpr std::uint64_t Rotated(std::uint64_t value, int bits) {
    return (value >> bits) | (value << (64 - bits));
}

class Blake2bState : public Hasher::State {
  public:
    Blake2bState() : hash_(kIv) { hash_[0] ^= 0x01010000 ^ 64; } // no key, 64-byte digest
    void Update(const std::uint8_t* data, std::size_t size) override {
        while (size > 0) {
            // The last block is compressed with its flag: a full buffer waits for more bytes.
            if (filled_ == block_.size()) {
                Compress(false);
                filled_ = 0;
            }
            const std::size_t part = std::min(size, block_.size() - filled_);
            std::memcpy(block_.data() + filled_, data, part);
            filled_ += part;
            data += part;
            size -= part;
        }
    }
    void Finish(std::uint8_t* digest) override {
        std::memset(block_.data() + filled_, 0, block_.size() - filled_);
        Compress(true);
        for (std::size_t i = 0; i < 64; ++i)
            digest[i] = static_cast<std::uint8_t>(hash_[i / 8] >> (8 * (i % 8)));
    }

  private:
    void Compress(bool last) {
        counter_ += filled_;
        if (counter_ < filled_) ++counterHigh_;
        std::uint64_t m[16];
        for (int i = 0; i < 16; ++i) {
            m[i] = 0;
            for (int b = 7; b >= 0; --b)
                m[i] = (m[i] << 8) | block_[static_cast<std::size_t>(8 * i + b)];
        }
        std::uint64_t v[16];
        for (int i = 0; i < 8; ++i) {
            v[i] = hash_[static_cast<std::size_t>(i)];
            v[i + 8] = kIv[static_cast<std::size_t>(i)];
        }
        v[12] ^= counter_;
        v[13] ^= counterHigh_;
        if (last) v[14] = ~v[14];
        const auto mix = [&v](int a, int b, int c, int d, std::uint64_t x, std::uint64_t y) {
            v[a] = v[a] + v[b] + x;
            v[d] = Rotated(v[d] ^ v[a], 32);
            v[c] = v[c] + v[d];
            v[b] = Rotated(v[b] ^ v[c], 24);
            v[a] = v[a] + v[b] + y;
            v[d] = Rotated(v[d] ^ v[a], 16);
            v[c] = v[c] + v[d];
            v[b] = Rotated(v[b] ^ v[c], 63);
        };
        for (const auto& s : kSigma) {
            mix(0, 4, 8, 12, m[s[0]], m[s[1]]);
            mix(1, 5, 9, 13, m[s[2]], m[s[3]]);
            mix(2, 6, 10, 14, m[s[4]], m[s[5]]);
            mix(3, 7, 11, 15, m[s[6]], m[s[7]]);
            mix(0, 5, 10, 15, m[s[8]], m[s[9]]);
            mix(1, 6, 11, 12, m[s[10]], m[s[11]]);
            mix(2, 7, 8, 13, m[s[12]], m[s[13]]);
            mix(3, 4, 9, 14, m[s[14]], m[s[15]]);
        }
        for (std::size_t i = 0; i < 8; ++i)
            hash_[i] ^= v[i] ^ v[i + 8];
    }

    std::array<std::uint64_t, 8> hash_;
    std::array<std::uint8_t, 128> block_{};
    std::size_t filled_ = 0;
    std::uint64_t counter_ = 0, counterHigh_ = 0;
};

} // namespace

std::unique_ptr<Hasher::State> Blake2bHash() {
    return std::make_unique<Blake2bState>();
}

} // namespace zendra
