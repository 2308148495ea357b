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
    // Copies `size` bytes (a multiple of kRegionBlock) into the working layout, and back in place.
    void (*ToWork)(const std::uint8_t* from, std::uint8_t* to, std::size_t size);
    void (*FromWork)(std::uint8_t* bytes, std::size_t size);
    // The tables of one factor, made once and used for every region it multiplies.
    std::size_t TableSize;
    void (*Prepare)(Gf factor, std::uint8_t* table);
    // dst ^= sum over k of factor k * sources[k] over `size` bytes (a multiple of kRegionBlock),
    // all in the working layout, the data being 16-bit little-endian words; the factors' tables
    // lie one after the other in `tables`, each TableSize bytes, 64-byte aligned.
    void (*MulAddMany)(std::uint8_t* dst, const std::uint8_t* const* sources,
                       const std::uint8_t* tables, std::size_t count, std::size_t size);
};

// The products of `factor` with 1, 2, 3, ..., 15 times 16^nibble, for each of the four nibbles of a
// word: products[16 * nibble + v].
void NibbleProducts(Gf factor, Gf* products);

// The fastest kernel this processor runs (chosen once, by asking the processor at run time).
const RegionKernel& BestKernel();
// Every kernel this processor runs, the plain table code first.
std::vector<const RegionKernel*> AvailableKernels();

} // namespace zendra::par2
