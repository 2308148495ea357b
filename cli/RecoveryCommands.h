// zendra-cli's recovery data: the split's --recovery options, verify with the recovery files, and
// the repair command. Each command returns the exit status (see Cli.h; verify adds 3: damaged but
// repairable).
#pragma once

#include "io/Progress.h"
#include "recovery/Recovery.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

namespace zendra {

struct RecoveryArguments {
    std::optional<std::string> Percent;   // --recovery P
    std::optional<std::string> Pieces;    // --recovery-pieces N
    std::optional<std::string> Slices;    // --recovery-slices N
    std::optional<std::string> SliceSize; // --slice-size S
    bool Any() const { return Percent || Pieces || Slices || SliceSize; }
};

// Empty when the values are right, else what is wrong with them.
std::string CheckRecoveryArguments(const RecoveryArguments& arguments);

// What the split is to write, when recovery data was asked for (the arguments checked).
std::optional<RecoveryOptions> RecoveryOptionsOf(const RecoveryArguments& arguments);

// What a split with recovery data tells of it: "Recovery data "FILE.par2"", and with
// --recovery-pieces that each recovery file rebuilds one lost piece.
std::string RecoverySummary(const RecoveryArguments& arguments,
                            const std::filesystem::path& source);

// Whether recovery files lie beside the index (NAME.par2 or NAME.vol*.par2).
bool HasRecoveryFiles(const std::filesystem::path& index);
// One verdict on every file the set needs (the index, every piece, the checksum file) from all
// the evidence (the checksum file, the recovery data's checksums, the lengths), each named intact,
// damaged, missing or unknown (nothing can check it): 0 all intact and checked, 3 the recovery data
// can rebuild what is not, 1 it cannot, or a file is unknown.
int VerifyWithRecovery(const std::filesystem::path& index, bool quiet, std::ostream& out,
                       std::ostream& err, const Progress& progress);
// On the same verdict: rebuilds the damaged and missing files the recovery data covers, all in one
// transaction (Replacement), and exits 0 when the set is then whole, 1 when it is not.
int RepairPieces(const std::filesystem::path& index, bool quiet, std::ostream& out,
                 std::ostream& err, const Progress& progress);

} // namespace zendra
