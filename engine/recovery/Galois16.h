// Arithmetic in GF(2^16) with the polynomial of PAR 2.0 (x^16 + x^12 + x^3 + x + 1), and the
// multiply-add over whole regions of slice data that the Reed-Solomon code spends its time in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zendra::par2 {

using Gf = std::uint16_t;

Gf GfMultiply(Gf a, Gf b);
// a to the power `exponent`; 0^0 is 1.
Gf GfPower(Gf a, std::uint32_t exponent);
// The inverse of a non-zero element.
Gf GfInverse(Gf a);

// The input slices' constants 2^n, n running through the positive numbers not divisible by 3, 5,
// 17 or 257; kMaxInputSlices of them.
inline constexpr std::uint32_t kMaxInputSlices = 32768;
// The constant of input slice `index` raised to `exponent`.
Gf SliceFactor(std::uint32_t index, std::uint32_t exponent);
// The same through logarithms (base 2), for sums of many products: the logarithm n of input slice
// `index`'s constant, the logarithm of a non-zero element, and 2^e for e below 2 * 65535.
std::uint32_t SliceLog(std::uint32_t index);
std::uint32_t GfLog(Gf a);
Gf GfExp(std::uint32_t e);

// Regions are handled in blocks of this many bytes, held in the kernel's working layout between
// ToWork and FromWork (the vector kernels keep each block's low and high bytes apart).
inline constexpr std::size_t kRegionBlock = 64;

struct RegionKernel {
    const char* Name;
    // The working layout takes WorkScale bytes for each byte of data, sources and outputs alike.
    std::size_t WorkScale;
    // Copies `size` bytes of a source (a multiple of kRegionBlock) into the working layout
    // (WorkScale * size bytes at `to`).
    void (*ToWork)(const std::uint8_t* from, std::uint8_t* to, std::size_t size);
    // An output's `size` bytes of data, in place, from its working layout (where it starts as
    // zeros; a kernel may hold an output otherwise than its sources).
    void (*FromWork)(std::uint8_t* bytes, std::size_t size);
    // The tables of one factor, made once and used for every region it multiplies.
    std::size_t TableSize;
    void (*Prepare)(Gf factor, std::uint8_t* table);
    // dst ^= sum over k of factor k * sources[k] over `size` bytes of data (a multiple of
    // kRegionBlock), all in the working layout, the data being 16-bit little-endian words; the
    // factors' tables lie one after the other in `tables`, each TableSize bytes, 64-byte aligned.
    void (*MulAddMany)(std::uint8_t* dst, const std::uint8_t* const* sources,
                       const std::uint8_t* tables, std::size_t count, std::size_t size);
};

// The products of `factor` with 1, 2, 3, ..., 15 times 16^nibble, for each of the four nibbles of a
// word: products[16 * nibble + v].
void NibbleProducts(Gf factor, Gf* products);

// What CPUID and XGETBV report, as far as the choice of kernel needs it.
struct CpuBits {
    std::uint32_t Leaf1Ecx = 0; // CPUID leaf 1: SSSE3 (bit 9), OSXSAVE (27), AVX (28)
    std::uint32_t Leaf1Edx = 0; // CPUID leaf 1: SSE2 (bit 26)
    std::uint32_t Leaf7Ebx = 0; // CPUID leaf 7, subleaf 0: AVX2 (bit 5); 0 without leaf 7
    std::uint64_t Xcr0 = 0;     // XGETBV 0: the registers the system saves (bit 1 XMM, 2 YMM)
};

// From the slowest to the fastest. No SSE2 kernel: without PSHUFB a product takes a shift and an
// add per bit of the factor, which gains too little over the tables.
enum class KernelKind { Table, Ssse3, Avx2 };

// The fastest kernel those bits allow: a vector kernel only where the processor has its
// instructions, AVX2 only where the system also saves the YMM registers on a thread switch
// (OSXSAVE set and XCR0 bits 1 and 2; Windows XP saves no AVX state).
KernelKind ChooseKernel(const CpuBits& bits);

// The kernel this processor and system run fastest (chosen once, at the first call).
const RegionKernel& BestKernel();
// Every kernel this processor and system run, from the plain table code up to BestKernel.
std::vector<const RegionKernel*> AvailableKernels();

} // namespace zendra::par2
