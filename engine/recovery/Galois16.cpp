#include "recovery/Galois16.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zendra::par2 {

#ifdef ZENDRA_GF_X86
// Galois16_x86.cpp.
CpuBits ProcessorBits();
extern const RegionKernel kSsse3Kernel;
extern const RegionKernel kAvx2Kernel;
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

// The kernel that runs everywhere: where the processor lacks SSSE3 (an XP machine's may), and on
// processors other than x86.
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

const RegionKernel kScalar{"table",         1, Copy, Identity, kScalarTable, ScalarPrepare,
                           ScalarMulAddMany};

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

KernelKind ChooseKernel(const CpuBits& bits) {
    constexpr std::uint32_t kSse2 = 1u << 26;                     // leaf 1 EDX
    constexpr std::uint32_t kSsse3 = 1u << 9;                     // leaf 1 ECX
    constexpr std::uint32_t kOsxsave = 1u << 27, kAvx = 1u << 28; // leaf 1 ECX
    constexpr std::uint32_t kAvx2 = 1u << 5;                      // leaf 7 EBX
    constexpr std::uint64_t kXmmYmm = 0b110;                      // XCR0
    if (!(bits.Leaf1Edx & kSse2) || !(bits.Leaf1Ecx & kSsse3)) return KernelKind::Table;
    // XCR0 means nothing unless the system has turned XGETBV on (OSXSAVE).
    const bool ymmSaved = (bits.Leaf1Ecx & kOsxsave) && (bits.Xcr0 & kXmmYmm) == kXmmYmm;
    if (ymmSaved && (bits.Leaf1Ecx & kAvx) && (bits.Leaf7Ebx & kAvx2)) return KernelKind::Avx2;
    return KernelKind::Ssse3;
}

std::vector<const RegionKernel*> AvailableKernels() {
    std::vector<const RegionKernel*> kernels{&kScalar};
#ifdef ZENDRA_GF_X86
    // Each kind needs everything the slower ones need.
    const KernelKind best = ChooseKernel(ProcessorBits());
    if (best >= KernelKind::Ssse3) kernels.push_back(&kSsse3Kernel);
    if (best >= KernelKind::Avx2) kernels.push_back(&kAvx2Kernel);
#endif
    return kernels;
}

const RegionKernel& BestKernel() {
    static const RegionKernel* const best = AvailableKernels().back();
    return *best;
}

} // namespace zendra::par2
