// Reading a recovery set from its files: packet by packet, skipping whatever does not check out
// (damaged packets, packets of other sets, impossible lengths), with memory bounded whatever the
// files hold.
#pragma once

#include "recovery/Packets.h"

#include <filesystem>
#include <string>
#include <vector>

namespace zendra::par2 {

struct RecoverySliceRef {
    std::size_t File = 0;         // in LoadedSet::ParFiles
    std::uint64_t DataOffset = 0; // where its bytes start
    std::uint64_t Size = 0;       // how many there are: the set's slice size
    std::uint32_t Exponent = 0;
};

struct LoadedSet {
    Id16 SetId{};
    std::uint64_t SliceSize = 0;
    std::vector<FileDescription> Files; // the recovery set's files, in slice order
    std::vector<std::vector<SliceChecksum>> Checksums;
    std::vector<std::filesystem::path> ParFiles;
    std::vector<RecoverySliceRef> Slices; // one per exponent
};

// BASE for BASE.par2 and BASE.vol<n>+<m>.par2.
std::filesystem::path RecoveryBaseOf(const std::filesystem::path& par2File);

// A set read from `par2File` and every BASE.*.par2 beside it: the one that protects the most of
// the `expected` names, then the most files present at their recorded lengths; with nothing
// expected, the one the first main packet names (without one, the first set found). Recovery
// slices of another length than the set's slice size are skipped. Throws Failure when no usable
// set is found, the set lacks a file's description or slice checksums, or none of its recovery
// slices has its slice size.
LoadedSet LoadRecoverySet(const std::filesystem::path& par2File,
                          const std::vector<std::string>& expected = {});

} // namespace zendra::par2
