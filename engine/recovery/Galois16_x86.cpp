// The vector kernels of the 64-bit x86 build: split-nibble tables looked up 16 or 32 at a time
// with PSHUFB. The 32-bit Windows build does not compile this file.
#include "Galois16.h"

#include <immintrin.h>

#include <cstring>

namespace zendra::par2 {
namespace {

// For each of the word's four nibbles, the low and the high byte of its product with the factor:
// 8 tables of 16 bytes, each stored twice so that both AVX2 lanes find it: table i at 32 * i.
constexpr std::size_t kTable = 8 * 32;

void Prepare(Gf factor, std::uint8_t* table) {
    Gf products[64];
    NibbleProducts(factor, products);
    for (unsigned nibble = 0; nibble < 4; ++nibble) {
        std::uint8_t low[16], high[16];
        for (unsigned v = 0; v < 16; ++v) {
            low[v] = static_cast<std::uint8_t>(products[16 * nibble + v]);
            high[v] = static_cast<std::uint8_t>(products[16 * nibble + v] >> 8);
        }
        std::uint8_t* at = table + 64 * nibble;
        std::memcpy(at, low, 16);
        std::memcpy(at + 16, low, 16);
        std::memcpy(at + 32, high, 16);
        std::memcpy(at + 48, high, 16);
    }
}

// A block of 32 little-endian words becomes their 32 low bytes, then their 32 high bytes.
__attribute__((target("ssse3"))) void ToWork(const std::uint8_t* from, std::uint8_t* to,
                                             std::size_t size) {
    const __m128i split = _mm_setr_epi8(0, 2, 4, 6, 8, 10, 12, 14, 1, 3, 5, 7, 9, 11, 13, 15);
    for (std::size_t at = 0; at < size; at += kRegionBlock) {
        const auto* p = reinterpret_cast<const __m128i*>(from + at);
        auto* q = reinterpret_cast<__m128i*>(to + at);
        const __m128i a = _mm_shuffle_epi8(_mm_loadu_si128(p), split);
        const __m128i b = _mm_shuffle_epi8(_mm_loadu_si128(p + 1), split);
        const __m128i c = _mm_shuffle_epi8(_mm_loadu_si128(p + 2), split);
        const __m128i d = _mm_shuffle_epi8(_mm_loadu_si128(p + 3), split);
        _mm_storeu_si128(q, _mm_unpacklo_epi64(a, b));
        _mm_storeu_si128(q + 1, _mm_unpacklo_epi64(c, d));
        _mm_storeu_si128(q + 2, _mm_unpackhi_epi64(a, b));
        _mm_storeu_si128(q + 3, _mm_unpackhi_epi64(c, d));
    }
}

__attribute__((target("ssse3"))) void FromWork(std::uint8_t* bytes, std::size_t size) {
    for (std::size_t at = 0; at < size; at += kRegionBlock) {
        auto* p = reinterpret_cast<__m128i*>(bytes + at);
        const __m128i lo01 = _mm_loadu_si128(p), lo23 = _mm_loadu_si128(p + 1);
        const __m128i hi01 = _mm_loadu_si128(p + 2), hi23 = _mm_loadu_si128(p + 3);
        _mm_storeu_si128(p, _mm_unpacklo_epi8(lo01, hi01));
        _mm_storeu_si128(p + 1, _mm_unpackhi_epi8(lo01, hi01));
        _mm_storeu_si128(p + 2, _mm_unpacklo_epi8(lo23, hi23));
        _mm_storeu_si128(p + 3, _mm_unpackhi_epi8(lo23, hi23));
    }
}

__attribute__((target("ssse3"))) void Ssse3MulAddMany(std::uint8_t* dst,
                                                      const std::uint8_t* const* sources,
                                                      const std::uint8_t* tables, std::size_t count,
                                                      std::size_t size) {
    const __m128i mask = _mm_set1_epi8(0x0f);
    for (std::size_t at = 0; at < size; at += kRegionBlock) {
        for (std::size_t half = 0; half < 2; ++half) {
            auto* d = reinterpret_cast<__m128i*>(dst + at + 16 * half);
            __m128i accLo = _mm_loadu_si128(d), accHi = _mm_loadu_si128(d + 2);
            for (std::size_t k = 0; k < count; ++k) {
                const auto* s = reinterpret_cast<const __m128i*>(sources[k] + at + 16 * half);
                const __m128i lo = _mm_loadu_si128(s), hi = _mm_loadu_si128(s + 2);
                const __m128i n0 = _mm_and_si128(lo, mask);
                const __m128i n1 = _mm_and_si128(_mm_srli_epi16(lo, 4), mask);
                const __m128i n2 = _mm_and_si128(hi, mask);
                const __m128i n3 = _mm_and_si128(_mm_srli_epi16(hi, 4), mask);
                // Each table's first 16 bytes.
                const auto* tk = reinterpret_cast<const __m128i*>(tables + kTable * k);
                accLo = _mm_xor_si128(
                    accLo,
                    _mm_xor_si128(_mm_xor_si128(_mm_shuffle_epi8(_mm_load_si128(tk + 0), n0),
                                                _mm_shuffle_epi8(_mm_load_si128(tk + 4), n1)),
                                  _mm_xor_si128(_mm_shuffle_epi8(_mm_load_si128(tk + 8), n2),
                                                _mm_shuffle_epi8(_mm_load_si128(tk + 12), n3))));
                accHi = _mm_xor_si128(
                    accHi,
                    _mm_xor_si128(_mm_xor_si128(_mm_shuffle_epi8(_mm_load_si128(tk + 2), n0),
                                                _mm_shuffle_epi8(_mm_load_si128(tk + 6), n1)),
                                  _mm_xor_si128(_mm_shuffle_epi8(_mm_load_si128(tk + 10), n2),
                                                _mm_shuffle_epi8(_mm_load_si128(tk + 14), n3))));
            }
            _mm_storeu_si128(d, accLo);
            _mm_storeu_si128(d + 2, accHi);
        }
    }
}

__attribute__((target("avx2"))) void Avx2MulAddMany(std::uint8_t* dst,
                                                    const std::uint8_t* const* sources,
                                                    const std::uint8_t* tables, std::size_t count,
                                                    std::size_t size) {
    const __m256i mask = _mm256_set1_epi8(0x0f);
    for (std::size_t at = 0; at < size; at += kRegionBlock) {
        auto* d = reinterpret_cast<__m256i*>(dst + at);
        __m256i accLo = _mm256_loadu_si256(d), accHi = _mm256_loadu_si256(d + 1);
        for (std::size_t k = 0; k < count; ++k) {
            const auto* s = reinterpret_cast<const __m256i*>(sources[k] + at);
            const __m256i lo = _mm256_loadu_si256(s), hi = _mm256_loadu_si256(s + 1);
            const __m256i n0 = _mm256_and_si256(lo, mask);
            const __m256i n1 = _mm256_and_si256(_mm256_srli_epi16(lo, 4), mask);
            const __m256i n2 = _mm256_and_si256(hi, mask);
            const __m256i n3 = _mm256_and_si256(_mm256_srli_epi16(hi, 4), mask);
            const auto* tk = reinterpret_cast<const __m256i*>(tables + kTable * k);
            accLo = _mm256_xor_si256(
                accLo, _mm256_xor_si256(
                           _mm256_xor_si256(_mm256_shuffle_epi8(_mm256_load_si256(tk + 0), n0),
                                            _mm256_shuffle_epi8(_mm256_load_si256(tk + 2), n1)),
                           _mm256_xor_si256(_mm256_shuffle_epi8(_mm256_load_si256(tk + 4), n2),
                                            _mm256_shuffle_epi8(_mm256_load_si256(tk + 6), n3))));
            accHi = _mm256_xor_si256(
                accHi, _mm256_xor_si256(
                           _mm256_xor_si256(_mm256_shuffle_epi8(_mm256_load_si256(tk + 1), n0),
                                            _mm256_shuffle_epi8(_mm256_load_si256(tk + 3), n1)),
                           _mm256_xor_si256(_mm256_shuffle_epi8(_mm256_load_si256(tk + 5), n2),
                                            _mm256_shuffle_epi8(_mm256_load_si256(tk + 7), n3))));
        }
        _mm256_storeu_si256(d, accLo);
        _mm256_storeu_si256(d + 1, accHi);
    }
}

const RegionKernel kSsse3{"ssse3", ToWork, FromWork, kTable, Prepare, Ssse3MulAddMany};
const RegionKernel kAvx2{"avx2", ToWork, FromWork, kTable, Prepare, Avx2MulAddMany};

} // namespace

const RegionKernel* Ssse3Kernel() {
    return __builtin_cpu_supports("ssse3") ? &kSsse3 : nullptr;
}
const RegionKernel* Avx2Kernel() {
    return __builtin_cpu_supports("avx2") ? &kAvx2 : nullptr;
}

} // namespace zendra::par2
