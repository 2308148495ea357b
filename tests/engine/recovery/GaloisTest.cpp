#include "recovery/Galois16.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

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

// What each processor and system reports, and the kernel it gets.
TEST(GaloisTest, KernelFollowsTheProcessorAndTheSystem) {
    constexpr std::uint32_t kSse = 1u << 25, kSse2 = 1u << 26;                      // leaf 1 EDX
    constexpr std::uint32_t kSsse3 = 1u << 9, kOsxsave = 1u << 27, kAvx = 1u << 28; // ECX
    constexpr std::uint32_t kAvx2 = 1u << 5;                                        // leaf 7 EBX
    constexpr std::uint32_t kHaswell = kSsse3 | kOsxsave | kAvx;
    const struct {
        const char* machine;
        CpuBits bits;
        KernelKind kernel;
    } cases[] = {
        {"no CPUID", {}, KernelKind::Table},
        {"Pentium III: SSE, no SSE2", {0, kSse, 0, 0}, KernelKind::Table},
        {"Pentium 4: SSE2, no SSSE3", {0, kSse | kSse2, 0, 0}, KernelKind::Table},
        {"SSSE3 without SSE2 (no such processor)", {kSsse3, kSse, 0, 0}, KernelKind::Table},
        {"Core 2: SSSE3", {kSsse3, kSse | kSse2, 0, 0}, KernelKind::Ssse3},
        {"Haswell under XP: OSXSAVE off, XCR0 not read",
         {kSsse3 | kAvx, kSse | kSse2, kAvx2, 0},
         KernelKind::Ssse3},
        {"Haswell, OSXSAVE off, XCR0 left as if read",
         {kSsse3 | kAvx, kSse | kSse2, kAvx2, 0b111},
         KernelKind::Ssse3},
        {"Haswell, XCR0 without YMM", {kHaswell, kSse | kSse2, kAvx2, 0b011}, KernelKind::Ssse3},
        {"Haswell, XCR0 with YMM but not XMM",
         {kHaswell, kSse | kSse2, kAvx2, 0b101},
         KernelKind::Ssse3},
        {"Sandy Bridge: AVX, no AVX2", {kHaswell, kSse | kSse2, 0, 0b111}, KernelKind::Ssse3},
        {"AVX2 without AVX (no such processor)",
         {kSsse3 | kOsxsave, kSse | kSse2, kAvx2, 0b111},
         KernelKind::Ssse3},
        {"Haswell, Windows 7 SP1", {kHaswell, kSse | kSse2, kAvx2, 0b111}, KernelKind::Avx2},
        {"AVX-512 machine", {kHaswell, kSse | kSse2, kAvx2 | 1u << 16, 0xe7}, KernelKind::Avx2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseKernel(c.bits), c.kernel) << c.machine;
}

// Every kernel this machine runs, through its working layout, gives what the table kernel gives
// and what word-by-word multiplication gives, for counts of sources below and above the table
// kernel's group of 8, odd and even (the AVX2 kernel takes them in pairs), and regions of one
// block and of many, the sources added to the output in two runs as a batch at a time is.
TEST(GaloisTest, EveryKernelAgreesWithPlainMultiplication) {
    std::mt19937 random(7);
    const auto bytes = [&](std::size_t size) {
        std::vector<std::uint8_t> v(size);
        for (auto& b : v)
            b = static_cast<std::uint8_t>(random());
        return v;
    };
    const std::vector<const RegionKernel*> kernels = AvailableKernels();
    ASSERT_EQ(std::string(kernels.front()->Name), "table");
    ASSERT_EQ(kernels.back(), &BestKernel());
    for (const auto& [blocks, count] :
         {std::pair<std::size_t, std::size_t>{1, 1}, {4, 19}, {3, 8}, {17, 16}, {256, 5}}) {
        const std::size_t size = blocks * kRegionBlock;
        std::vector<std::vector<std::uint8_t>> sources;
        std::vector<Gf> factors;
        for (std::size_t k = 0; k < count; ++k) {
            sources.push_back(bytes(size));
            factors.push_back(k == 1   ? 0
                              : k == 2 ? 1
                              : k == 3 ? 0xFFFF
                                       : static_cast<Gf>(random()));
        }
        std::vector<std::uint8_t> expected(size);
        for (std::size_t w = 0; w < size; w += 2) {
            Gf sum = 0;
            for (std::size_t k = 0; k < count; ++k)
                sum ^=
                    GfMultiply(factors[k], static_cast<Gf>(sources[k][w] | sources[k][w + 1] << 8));
            expected[w] = static_cast<std::uint8_t>(sum);
            expected[w + 1] = static_cast<std::uint8_t>(sum >> 8);
        }
        std::vector<std::uint8_t> fromTable;
        for (const RegionKernel* kernel : kernels) {
            std::vector<std::vector<std::uint8_t>> work;
            std::vector<const std::uint8_t*> pointers;
            for (std::size_t k = 0; k < count; ++k) {
                work.push_back(bytes(kernel->WorkScale * size)); // what the layout overwrites
                kernel->ToWork(sources[k].data(), work[k].data(), size);
                pointers.push_back(work[k].data());
            }
            std::vector<std::uint8_t> storage(count * kernel->TableSize + 64);
            std::uint8_t* tables =
                storage.data() + (64 - reinterpret_cast<std::uintptr_t>(storage.data()) % 64) % 64;
            for (std::size_t k = 0; k < count; ++k)
                kernel->Prepare(factors[k], tables + k * kernel->TableSize);
            std::vector<std::uint8_t> dst(kernel->WorkScale * size);
            const std::size_t first = count / 2;
            kernel->MulAddMany(dst.data(), pointers.data(), tables, first, size);
            kernel->MulAddMany(dst.data(), pointers.data() + first,
                               tables + first * kernel->TableSize, count - first, size);
            kernel->FromWork(dst.data(), size);
            dst.resize(size);
            if (fromTable.empty()) fromTable = dst;
            EXPECT_EQ(dst, fromTable) << kernel->Name << ", " << blocks << " blocks, " << count;
            EXPECT_EQ(dst, expected) << kernel->Name << ", " << blocks << " blocks, " << count;
        }
    }
}

} // namespace
} // namespace zendra::par2
