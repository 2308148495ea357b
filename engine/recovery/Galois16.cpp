#include "Galois16.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zendra::par2 {

#ifdef ZENDRA_GF_X86
// Galois16_x86.cpp: nothing when the processor lacks the instructions.
const RegionKernel* Ssse3Kernel();
const RegionKernel* Avx2Kernel();
#endif

namespace {

constexpr std::uint32_t kPolynomial = 0x1100B;
constexpr std::uint32_t kOrder = 65535;

struct Tables {
    std::array<Gf, 2 * kOrder> exp; // doubled, so a sum of two logarithms needs no reduction
    std::array<std::uint32_t, 65536> log;
    std::array<std::uint32_t, kMaxInputSlices> sliceLog; // n of every input slice's constant 2^n
    Tables() {
        std::uint32_t x = 1;
        for (std::uint32_t i = 0; i < kOrder; ++i) {
            exp[i] = exp[i + kOrder] = static_cast<Gf>(x);
            log[x] = i;
            x <<= 1;
            if (x & 0x10000) x ^= kPolynomial;
        }
        log[0] = 0;
        std::uint32_t n = 0;
        for (auto& value : sliceLog) {
            do {
                ++n;
            } while (n % 3 == 0 || n % 5 == 0 || n % 17 == 0 || n % 257 == 0);
            value = n;
        }
    }
};

const Tables& T() {
    static const Tables tables;
    return tables;
}

void Copy(const std::uint8_t* from, std::uint8_t* to, std::size_t size) {
    std::memcpy(to, from, size);
}
void Identity(std::uint8_t*, std::size_t) {}

// Two 256-entry tables per factor: its products with a word's low byte and with its high byte.
constexpr std::size_t kScalarTable = 2 * 256 * sizeof(Gf);

void ScalarPrepare(Gf factor, std::uint8_t* bytes) {
    Gf products[64];
    NibbleProducts(factor, products);
    Gf* table = reinterpret_cast<Gf*>(bytes);
    for (unsigned half = 0; half < 2; ++half)
        for (unsigned v = 0; v < 256; ++v)
            table[256 * half + v] =
                products[32 * half + (v & 15)] ^ products[32 * half + 16 + (v >> 4)];
}

// The kernel that runs everywhere, and the only one in the 32-bit Windows build.
void ScalarMulAddMany(std::uint8_t* dst, const std::uint8_t* const* sources,
                      const std::uint8_t* tables, std::size_t count, std::size_t size) {
    constexpr std::size_t kGroup = 8; // 16 KiB of tables stay in the first-level cache
    for (std::size_t first = 0; first < count; first += kGroup) {
        const std::size_t n = std::min(kGroup, count - first);
        const Gf* table = reinterpret_cast<const Gf*>(tables + first * kScalarTable);
        for (std::size_t at = 0; at < size; at += 2) {
            std::uint32_t acc = dst[at] | dst[at + 1] << 8;
            for (std::size_t k = 0; k < n; ++k) {
                const std::uint8_t* s = sources[first + k] + at;
                acc ^= table[512 * k + s[0]] ^ table[512 * k + 256 + s[1]];
            }
            dst[at] = static_cast<std::uint8_t>(acc);
            dst[at + 1] = static_cast<std::uint8_t>(acc >> 8);
        }
    }
}

const RegionKernel kScalar{"table", Copy, Identity, kScalarTable, ScalarPrepare, ScalarMulAddMany};

} // namespace

void NibbleProducts(Gf factor, Gf* products) {
    std::uint32_t x = factor; // factor * 2^bit, bit by bit
    for (unsigned nibble = 0; nibble < 4; ++nibble) {
        Gf* p = products + 16 * nibble;
        p[0] = 0;
        for (unsigned bit = 0; bit < 4; ++bit) {
            for (unsigned v = 0; v < (1u << bit); ++v)
                p[(1u << bit) + v] = static_cast<Gf>(p[v] ^ x);
            x <<= 1;
            if (x & 0x10000) x ^= kPolynomial;
        }
    }
}

Gf GfMultiply(Gf a, Gf b) {
    if (a == 0 || b == 0) return 0;
    return T().exp[T().log[a] + T().log[b]];
}

Gf GfPower(Gf a, std::uint32_t exponent) {
    if (exponent == 0) return 1;
    if (a == 0) return 0;
    return T().exp[static_cast<std::uint64_t>(T().log[a]) * exponent % kOrder];
}

Gf GfInverse(Gf a) {
    return T().exp[(kOrder - T().log[a]) % kOrder];
}

std::uint32_t SliceLog(std::uint32_t index) {
    return T().sliceLog[index];
}
std::uint32_t GfLog(Gf a) {
    return T().log[a];
}
Gf GfExp(std::uint32_t e) {
    return T().exp[e];
}

Gf SliceFactor(std::uint32_t index, std::uint32_t exponent) {
    return T().exp[static_cast<std::uint64_t>(T().sliceLog[index]) * exponent % kOrder];
}

std::vector<const RegionKernel*> AvailableKernels() {
    std::vector<const RegionKernel*> kernels{&kScalar};
#ifdef ZENDRA_GF_X86
    for (const RegionKernel* kernel : {Ssse3Kernel(), Avx2Kernel()})
        if (kernel) kernels.push_back(kernel);
#endif
    return kernels;
}

const RegionKernel& BestKernel() {
    static const RegionKernel* const best = AvailableKernels().back();
    return *best;
}

} // namespace zendra::par2
