// What `split` writes beyond the pieces: the self-join kit.
#pragma once

#include "Split.h"

#include "Progress.h"

#include <filesystem>
#include <optional>
#include <string>

namespace zendra {

// What a split of Source with --self-join writes in its transaction: NAME.join.sh, and
// NAME.join.exe when zendra-join.exe lies beside this program; `note` says what was left out.
using SelfJoinWriter = decltype(SplitOptions::Extra);
SelfJoinWriter KitWriter(const std::filesystem::path& Source, std::string& note);

// The folder this program's file lies in (zendra-join.exe is looked for there).
std::filesystem::path ProgramFolder();

} // namespace zendra
