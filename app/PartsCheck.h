// Check on the join pane for other tools' parts: each part a check file names against its hash,
// and the parts' bytes in order against the hash and length a check file gives of the joined
// file, without joining them (every part is read once).
#pragma once

#include "io/Progress.h"
#include "parts/Parts.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zendra {

struct PartsVerdict {
    std::vector<std::size_t> Mismatched;      // parts (by place in the plan) unlike their hash
    std::vector<std::size_t> WholeMismatched; // check files whose hash of the joined file differs
    bool SizeDiffers = false; // a check file gives another length for the joined file
};

// Reads the parts of `plan`; throws Failure when a part cannot be read, and Failure::Cancelled()
// when `progress` says stop.
PartsVerdict CheckPartsOf(const PartsPlan& plan, const Progress& progress = {});

// The box's text: "All 3 parts match \"data.tar.sha1\".", what does not match, or that there is
// no check file to check them against.
std::wstring PartsCheckText(const PartsPlan& plan, const PartsVerdict& verdict);

} // namespace zendra
