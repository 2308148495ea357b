#include "Galois16.h"

#include <gtest/gtest.h>

#include <random>

namespace zendra::par2 {
namespace {

TEST(GaloisTest, FieldAndSliceConstantsMatchTheFormat) {
    EXPECT_EQ(GfMultiply(0x8000, 2), 0x100B);
    EXPECT_EQ(GfMultiply(0x1234, 0x5678), 0x6324);
    EXPECT_EQ(GfMultiply(0xFFFF, 0xFFFF), 0x0733);
    EXPECT_EQ(GfMultiply(0x1234, GfInverse(0x1234)), 1);
    EXPECT_EQ(GfPower(2, 65535), 1);
    const Gf constants[] = {2, 4, 16, 128, 256, 2048, 8192, 16384, 4107, 32856, 17132};
    for (std::uint32_t i = 0; i < std::size(constants); ++i) {
        EXPECT_EQ(SliceFactor(i, 1), constants[i]) << i;
        EXPECT_EQ(SliceFactor(i, 0), 1);
        EXPECT_EQ(SliceFactor(i, 7), GfPower(constants[i], 7));
    }
    EXPECT_EQ(SliceFactor(32767, 1), 0x8805);
}

// Every kernel, through its working layout, gives what word-by-word multiplication gives.
TEST(GaloisTest, EveryKernelAgreesWithPlainMultiplication) {
    std::mt19937 random(7);
    constexpr std::size_t kSize = 4 * kRegionBlock, kSources = 19; // more than the scalar group
    std::vector<std::vector<std::uint8_t>> sources(kSources, std::vector<std::uint8_t>(kSize));
    std::vector<Gf> factors(kSources);
    for (auto& source : sources)
        for (auto& b : source)
            b = static_cast<std::uint8_t>(random());
    for (auto& f : factors)
        f = static_cast<Gf>(random());
    factors[0] = 0;
    factors[1] = 1;
    std::vector<std::uint8_t> start(kSize), expected(kSize);
    for (auto& b : start)
        b = static_cast<std::uint8_t>(random());
    for (std::size_t w = 0; w < kSize; w += 2) {
        Gf sum = static_cast<Gf>(start[w] | start[w + 1] << 8);
        for (std::size_t k = 0; k < kSources; ++k)
            sum ^= GfMultiply(factors[k], static_cast<Gf>(sources[k][w] | sources[k][w + 1] << 8));
        expected[w] = static_cast<std::uint8_t>(sum);
        expected[w + 1] = static_cast<std::uint8_t>(sum >> 8);
    }
    for (const RegionKernel* kernel : AvailableKernels()) {
        auto work = sources;
        std::vector<const std::uint8_t*> pointers;
        for (std::size_t k = 0; k < kSources; ++k) {
            kernel->ToWork(sources[k].data(), work[k].data(), kSize);
            pointers.push_back(work[k].data());
        }
        std::vector<std::uint8_t> storage(kSources * kernel->TableSize + 64);
        std::uint8_t* tables =
            storage.data() + (64 - reinterpret_cast<std::uintptr_t>(storage.data()) % 64) % 64;
        for (std::size_t k = 0; k < kSources; ++k)
            kernel->Prepare(factors[k], tables + k * kernel->TableSize);
        auto dst = start;
        kernel->ToWork(start.data(), dst.data(), kSize);
        kernel->MulAddMany(dst.data(), pointers.data(), tables, kSources, kSize);
        kernel->FromWork(dst.data(), kSize);
        EXPECT_EQ(dst, expected) << kernel->Name;
    }
}

} // namespace
} // namespace zendra::par2
