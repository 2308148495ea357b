// What the join pane's Check says of a set, in the user's units: one sentence for the whole set
// ("All 12 pieces are intact and checked.", "1 piece is missing; the recovery data can rebuild
// it."), then the files that are not intact, one a line, at most ten and then "…and K more".
// Window-free, so that its rules are proved on every platform.
#pragma once

#include "recovery/Verdict.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zendra {

// Formats a byte count as the system does ("16.0 MB").
using SizeText = std::function<std::wstring(std::uint64_t bytes)>;

// The most not-intact files a box lists before "…and K more".
inline constexpr std::size_t kListedFiles = 10;

// The sentence, the files that are not intact and, for a set that cannot be made whole for
// another reason than missing recovery data, the reasons. `pieceSize` (the bytes of one whole
// piece, 0 when unknown) turns the recovery data still needed into pieces.
std::wstring CheckText(const SetVerdict& verdict, std::uint64_t pieceSize, const SizeText& size);

// "Rebuild 1 piece now?", "Rebuild 2 pieces and the index now?"; empty when the set is not
// repairable.
std::wstring RebuildQuestion(const SetVerdict& verdict);

// Lines listed under a sentence: at most kListedFiles, then "…and K more".
std::wstring ListedLines(const std::vector<std::wstring>& lines);

} // namespace zendra
