// The vector kernels of both x86 builds: split-nibble tables looked up 16 or 32 at a time with
// PSHUFB. Only the functions marked with a target use the vector instructions: the rest of the
// 32-bit Windows program stays plain i686 and runs on processors without SSE2, and
// tests/e2e/vector-code.sh checks that no other function of the programs uses them.
#include "recovery/Galois16.h"

#include <cpuid.h>
#include <immintrin.h>

#include <cstring>

// The kernels' entry points realign the stack: 32-bit Windows keeps it 4-byte aligned only, and
// the vector registers the compiler spills need 16 or 32 bytes (only 8 registers there).
#ifdef __i386__
#define ZENDRA_ENTRY(isa) __attribute__((target(isa), force_align_arg_pointer))
#else
#define ZENDRA_ENTRY(isa) __attribute__((target(isa)))
#endif

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
ZENDRA_ENTRY("ssse3") void ToWork(const std::uint8_t* from, std::uint8_t* to, std::size_t size) {
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

ZENDRA_ENTRY("ssse3") void FromWork(std::uint8_t* bytes, std::size_t size) {
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

// On 32-bit x86 (8 vector registers), each source's low bytes (nibbles 0 and 1) are added before
// its high bytes (2 and 3), each product to its sum in turn, and the sums are held in registers:
// the compiler would otherwise regroup the sums into more values than the registers hold and spill
// them to the stack on every pass. With 16 registers, the sums of the four products as a tree run
// faster.
ZENDRA_ENTRY("ssse3")
void Ssse3MulAddMany(std::uint8_t* dst, const std::uint8_t* const* sources,
                     const std::uint8_t* tables, std::size_t count, std::size_t size) {
    const __m128i mask = _mm_set1_epi8(0x0f);
    for (std::size_t at = 0; at < size; at += kRegionBlock) {
        for (std::size_t half = 0; half < 2; ++half) {
            auto* d = reinterpret_cast<__m128i*>(dst + at + 16 * half);
            __m128i accLo = _mm_loadu_si128(d), accHi = _mm_loadu_si128(d + 2);
            for (std::size_t k = 0; k < count; ++k) {
                const auto* s = reinterpret_cast<const __m128i*>(sources[k] + at + 16 * half);
                // Each table's first 16 bytes: nibble i's low bytes at 4 * i, high at 4 * i + 2.
                const auto* t = reinterpret_cast<const __m128i*>(tables + kTable * k);
#ifdef __i386__
                for (std::size_t part = 0; part < 2; ++part, s += 2, t += 8) {
                    const __m128i bytes = _mm_loadu_si128(s);
                    const __m128i n = _mm_and_si128(bytes, mask);
                    const __m128i m = _mm_and_si128(_mm_srli_epi16(bytes, 4), mask);
                    accLo = _mm_xor_si128(accLo, _mm_shuffle_epi8(_mm_load_si128(t), n));
                    accHi = _mm_xor_si128(accHi, _mm_shuffle_epi8(_mm_load_si128(t + 2), n));
                    accLo = _mm_xor_si128(accLo, _mm_shuffle_epi8(_mm_load_si128(t + 4), m));
                    accHi = _mm_xor_si128(accHi, _mm_shuffle_epi8(_mm_load_si128(t + 6), m));
                    __asm__("" : "+x"(accLo), "+x"(accHi));
                }
#else
                const __m128i lo = _mm_loadu_si128(s), hi = _mm_loadu_si128(s + 2);
                const __m128i n0 = _mm_and_si128(lo, mask);
                const __m128i n1 = _mm_and_si128(_mm_srli_epi16(lo, 4), mask);
                const __m128i n2 = _mm_and_si128(hi, mask);
                const __m128i n3 = _mm_and_si128(_mm_srli_epi16(hi, 4), mask);
                accLo = _mm_xor_si128(
                    accLo,
                    _mm_xor_si128(_mm_xor_si128(_mm_shuffle_epi8(_mm_load_si128(t + 0), n0),
                                                _mm_shuffle_epi8(_mm_load_si128(t + 4), n1)),
                                  _mm_xor_si128(_mm_shuffle_epi8(_mm_load_si128(t + 8), n2),
                                                _mm_shuffle_epi8(_mm_load_si128(t + 12), n3))));
                accHi = _mm_xor_si128(
                    accHi,
                    _mm_xor_si128(_mm_xor_si128(_mm_shuffle_epi8(_mm_load_si128(t + 2), n0),
                                                _mm_shuffle_epi8(_mm_load_si128(t + 6), n1)),
                                  _mm_xor_si128(_mm_shuffle_epi8(_mm_load_si128(t + 10), n2),
                                                _mm_shuffle_epi8(_mm_load_si128(t + 14), n3))));
#endif
            }
            _mm_storeu_si128(d, accLo);
            _mm_storeu_si128(d + 2, accHi);
        }
    }
}

// The AVX2 kernel's own layout. PSHUFB looks up each 128-bit lane in that lane's own table, so a
// vector whose lanes hold a nibble of 16 words' low bytes and the same nibble of their high bytes
// looks up two of a factor's nibble tables at once: a source's tables fill 4 registers rather
// than 8, and the x86-64 kernel keeps two sources' tables in registers while it runs through a
// region, where loading them for every block cost more than the lookups. The nibbles are split
// out once per source (ToWork): shifts are slow on some processors (two cycles a vector on Zen).
//   A source, each half block of 16 words: A = [bits 0-3 of the low bytes | of the high bytes],
//   then B = [bits 4-7 of the low bytes | of the high bytes]; twice the data's size.
//   An output, each half block: L, then H, each 32 bytes; the words' low bytes are L's two lanes
//   added together (the sums from the low and from the high byte), the high bytes H's.
//   A factor's table: [low bytes of nibble 0's products | of nibble 2's], the same for nibbles 1
//   and 3, then the high bytes' in that order: 4 vectors.
constexpr std::size_t kLaneTable = 4 * 32;

void LanePrepare(Gf factor, std::uint8_t* table) {
    Gf products[64];
    NibbleProducts(factor, products);
    for (unsigned v = 0; v < 16; ++v)
        for (unsigned lane = 0; lane < 2; ++lane)
            for (unsigned pair = 0; pair < 2; ++pair) { // nibbles 0 and 2, then 1 and 3
                const Gf product = products[16 * (pair + 2 * lane) + v];
                table[32 * pair + 16 * lane + v] = static_cast<std::uint8_t>(product);
                table[64 + 32 * pair + 16 * lane + v] = static_cast<std::uint8_t>(product >> 8);
            }
}

ZENDRA_ENTRY("avx2") void LaneToWork(const std::uint8_t* from, std::uint8_t* to, std::size_t size) {
    const __m128i split = _mm_setr_epi8(0, 2, 4, 6, 8, 10, 12, 14, 1, 3, 5, 7, 9, 11, 13, 15);
    const __m256i mask = _mm256_set1_epi8(0x0f);
    for (std::size_t at = 0; at < size; at += 32) {
        const auto* p = reinterpret_cast<const __m128i*>(from + at);
        const __m128i a = _mm_shuffle_epi8(_mm_loadu_si128(p), split); // low bytes, high bytes
        const __m128i b = _mm_shuffle_epi8(_mm_loadu_si128(p + 1), split);
        const __m256i bytes = _mm256_set_m128i(_mm_unpackhi_epi64(a, b), _mm_unpacklo_epi64(a, b));
        auto* q = reinterpret_cast<__m256i*>(to + 2 * at);
        _mm256_storeu_si256(q, _mm256_and_si256(bytes, mask));
        _mm256_storeu_si256(q + 1, _mm256_and_si256(_mm256_srli_epi16(bytes, 4), mask));
    }
}

// In place: a half block's data lies at or before its working form, which is read first.
ZENDRA_ENTRY("avx2") void LaneFromWork(std::uint8_t* bytes, std::size_t size) {
    for (std::size_t at = 0; at < size; at += 32) {
        const auto* p = reinterpret_cast<const __m256i*>(bytes + 2 * at);
        const __m256i l = _mm256_loadu_si256(p), h = _mm256_loadu_si256(p + 1);
        const __m128i low =
            _mm_xor_si128(_mm256_castsi256_si128(l), _mm256_extracti128_si256(l, 1));
        const __m128i high =
            _mm_xor_si128(_mm256_castsi256_si128(h), _mm256_extracti128_si256(h, 1));
        auto* q = reinterpret_cast<__m128i*>(bytes + at);
        _mm_storeu_si128(q, _mm_unpacklo_epi8(low, high));
        _mm_storeu_si128(q + 1, _mm_unpackhi_epi8(low, high));
    }
}

// Helpers inlined into the AVX2 kernel (a lambda would not take its target).
#define ZENDRA_INLINE __attribute__((target("avx2"), always_inline)) inline

ZENDRA_INLINE __m256i Load(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
ZENDRA_INLINE void Store(std::uint8_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}
ZENDRA_INLINE __m256i Lookup(__m256i table, __m256i nibbles) {
    return _mm256_shuffle_epi8(table, nibbles);
}
ZENDRA_INLINE __m256i Sum(__m256i a, __m256i b, __m256i c, __m256i d) {
    return _mm256_xor_si256(_mm256_xor_si256(a, b), _mm256_xor_si256(c, d));
}

ZENDRA_ENTRY("avx2")
void Avx2MulAddMany(std::uint8_t* dst, const std::uint8_t* const* sources,
                    const std::uint8_t* tables, std::size_t count, std::size_t size) {
    const std::size_t work = 2 * size;
    std::size_t k = 0;
#ifndef __i386__
    // Two sources at a time, their 8 tables in registers, the output read and written once for
    // both (it stays in the first-level cache from one pair to the next).
    for (; k + 2 <= count; k += 2) {
        const std::uint8_t* t = tables + kLaneTable * k;
        const __m256i a0 = Load(t), b0 = Load(t + 32), c0 = Load(t + 64), d0 = Load(t + 96);
        const __m256i a1 = Load(t + 128), b1 = Load(t + 160), c1 = Load(t + 192),
                      d1 = Load(t + 224);
        const std::uint8_t *s0 = sources[k], *s1 = sources[k + 1];
        for (std::size_t at = 0; at < work; at += 64) {
            const __m256i na0 = Load(s0 + at), nb0 = Load(s0 + at + 32);
            const __m256i na1 = Load(s1 + at), nb1 = Load(s1 + at + 32);
            Store(dst + at,
                  _mm256_xor_si256(Load(dst + at), Sum(Lookup(a0, na0), Lookup(b0, nb0),
                                                       Lookup(a1, na1), Lookup(b1, nb1))));
            Store(dst + at + 32,
                  _mm256_xor_si256(Load(dst + at + 32), Sum(Lookup(c0, na0), Lookup(d0, nb0),
                                                            Lookup(c1, na1), Lookup(d1, nb1))));
        }
    }
#endif
    // One source at a time (with the 8 registers of 32-bit x86, or the last of an odd count):
    // its 4 tables in registers. Loading the tables for every block instead, with the sums held in
    // registers, took half as long again.
    for (; k < count; ++k) {
        const std::uint8_t* t = tables + kLaneTable * k;
        const __m256i a = Load(t), b = Load(t + 32), c = Load(t + 64), d = Load(t + 96);
        const std::uint8_t* s = sources[k];
        for (std::size_t at = 0; at < work; at += 64) {
            const __m256i na = Load(s + at), nb = Load(s + at + 32);
            Store(dst + at,
                  _mm256_xor_si256(Load(dst + at), _mm256_xor_si256(Lookup(a, na), Lookup(b, nb))));
            Store(dst + at + 32, _mm256_xor_si256(Load(dst + at + 32),
                                                  _mm256_xor_si256(Lookup(c, na), Lookup(d, nb))));
        }
    }
}

#undef ZENDRA_INLINE

} // namespace

extern const RegionKernel kSsse3Kernel{"ssse3", 1,       ToWork,         FromWork,
                                       kTable,  Prepare, Ssse3MulAddMany};
extern const RegionKernel kAvx2Kernel{"avx2",     2,           LaneToWork,    LaneFromWork,
                                      kLaneTable, LanePrepare, Avx2MulAddMany};

CpuBits ProcessorBits() {
    CpuBits bits;
    unsigned a = 0, b = 0, c = 0, d = 0;
    // Also false on a processor without CPUID.
    if (!__get_cpuid(1, &a, &b, &c, &d)) return bits;
    bits.Leaf1Ecx = c;
    bits.Leaf1Edx = d;
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d)) bits.Leaf7Ebx = b;
    // XGETBV faults unless the system has turned it on (OSXSAVE); Windows XP never does.
    if (bits.Leaf1Ecx & (1u << 27)) {
        std::uint32_t low = 0, high = 0;
        __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
        bits.Xcr0 = static_cast<std::uint64_t>(high) << 32 | low;
    }
    return bits;
}

} // namespace zendra::par2
