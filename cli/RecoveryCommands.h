// zendra-cli's recovery data: the split's --recovery options, verify with the recovery files, and
// the repair command. Each command returns the exit status (see Cli.h; verify adds 3: damaged but
// repairable).
#pragma once

#include "Progress.h"
#include "recovery/Recovery.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

namespace zendra {

struct RecoveryArguments {
    std::optional<std::string> Percent;   // --recovery P
    std::optional<std::string> Slices;    // --recovery-slices N
    std::optional<std::string> SliceSize; // --slice-size S
    bool Any() const { return Percent || Slices || SliceSize; }
};

// Empty when the values are right, else what is wrong with them.
std::string CheckRecoveryArguments(const RecoveryArguments& arguments);

// What the split is to write, when recovery data was asked for (the arguments checked).
std::optional<RecoveryOptions> RecoveryOptionsOf(const RecoveryArguments& arguments);

// Whether recovery files lie beside the index.
bool HasRecoveryFiles(const std::filesystem::path& index);
// Each piece intact, damaged or missing, and whether the set can be repaired: 0 all intact, 3
// repairable, 1 not.
int VerifyWithRecovery(const std::filesystem::path& index, bool quiet, std::ostream& out,
                       std::ostream& err, const Progress& progress);
// Rebuilds the damaged and missing pieces in place (each written whole, then renamed).
int RepairPieces(const std::filesystem::path& index, bool quiet, std::ostream& out,
                 std::ostream& err, const Progress& progress);

} // namespace zendra
