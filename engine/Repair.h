// A repair: the set's verdict (recovery/Verdict.h) taken with every rebuilt file made inside one
// transaction, committed only when the set is then whole. Everything is decided, the checksum file
// read and every rebuilt file checked against it, before any file of the set changes: a repair
// changes all that is lost or nothing.
#pragma once

#include "engine/Replace.h"
#include "recovery/Verdict.h"

#include <cstddef>
#include <filesystem>

namespace zendra {

struct RepairResult {
    SetVerdict Verdict;      // the set as the repair found it
    bool Written = false;    // the rebuilt files were committed: the set is whole
    std::size_t Pieces = 0;  // pieces rebuilt
    bool Index = false;      // the index rebuilt
    std::size_t Others = 0;  // other files rebuilt (the checksum file, say)
};

// Mends what a killed run left in the folder (telling `notice`), judges the set of `index`, and
// when the outcome is Repairable puts every rebuilt file in place at once. An Intact or
// NotRepairable outcome writes nothing (Verdict says why). Throws Failure as JudgeSet does, and
// for the transaction's failures, having changed nothing.
RepairResult RepairSet(const std::filesystem::path& index, const Notice& notice,
                       const Progress& progress = {});

} // namespace zendra
