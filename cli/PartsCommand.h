// What `split` writes beyond the pieces: the self-join kit.
#pragma once

#include "engine/Split.h"

#include "io/Progress.h"

#include <filesystem>
#include <optional>
#include <string>

namespace zendra {

// What a split of Source with --self-join writes in its transaction: NAME.join.sh, and
// NAME.join.exe from zendra-join.exe beside this program or carried in it; `note` says what was
// left out (shown even with --quiet: --help promises the file).
using SelfJoinWriter = decltype(SplitOptions::Extra);
SelfJoinWriter KitWriter(const std::filesystem::path& Source, std::string& note);

// The folder this program's file lies in (zendra-join.exe is looked for there).
std::filesystem::path ProgramFolder();

} // namespace zendra
