// The Reed-Solomon work of both making and using recovery data: every output slice is a sum of
// the source slices, each times a constant. Outputs that do not fit the memory bound are made in
// several passes over the sources; slices too long for it are made a window at a time. The work
// is shared by the pool's threads and the caller's, the next sources read beside it.
#pragma once

#include "recovery/Galois16.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace zendra::par2 {

struct SliceSource {
    std::size_t File = 0;     // in Combination::Files
    std::uint64_t Offset = 0; // where the slice starts there
    std::uint64_t Length = 0; // bytes of it there; the rest of the slice is zeros
};

struct Combination {
    std::uint64_t SliceSize = 0;
    std::vector<std::filesystem::path> Files;
    std::vector<SliceSource> Sources;
    std::uint32_t Outputs = 0;
    // The constants that source `source` is multiplied by in outputs first ... first + count - 1.
    // Asked on any thread, but by one at a time.
    std::function<void(std::size_t source, std::uint32_t first, std::uint32_t count, Gf* column)>
        Coefficients;
    // Shown every whole source slice (zero-padded to SliceSize; `length` bytes are real) when
    // one window holds a whole slice (see WholeSlicesSeen), twice: once for each of two halves of
    // the caller's work (`part` 0 and 1, such as two hashes), each half seeing the slices in order
    // and once, the two halves at the same time on two threads.
    std::function<void(int part, std::size_t source, const std::uint8_t* slice,
                       std::uint64_t length)>
        Seen;
    // Given each output's bytes from `offset` on; the windows of an output come in order.
    std::function<void(std::uint32_t output, std::uint64_t offset, const std::uint8_t* bytes,
                       std::size_t size)>
        Made;
    // Told how many source bytes were just read; may throw to stop.
    std::function<void(std::uint64_t bytes)> Advanced;
};

// Whether Combine shows Seen whole slices of this size.
bool WholeSlicesSeen(std::uint64_t sliceSize);
// How many bytes Combine reads in all: every source once per group of outputs.
std::uint64_t BytesToRead(const Combination& combination);
// Throws Failure when a source file cannot be read or ends early.
void Combine(const Combination& combination);

} // namespace zendra::par2
