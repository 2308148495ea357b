// What `split` writes beyond the pieces (the self-join kit), and what `join` and `info` say of
// other tools' parts.
#pragma once

#include "engine/Split.h"
#include "parts/JoinRequest.h"

#include "io/Progress.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace zendra {

// What a split of Source with --self-join writes in its transaction: NAME.join.sh, and
// NAME.join.exe from zendra-join.exe beside this program or carried in it; `note` says what was
// left out (shown even with --quiet: --help promises the file).
using SelfJoinWriter = decltype(SplitOptions::Extra);
SelfJoinWriter KitWriter(const std::filesystem::path& Source, std::string& note);

// Why a planned join cannot write its output, with the option that helps (--force only where it
// does: never over a folder or one of the parts; --output for a folder that cannot be written
// in), or empty.
std::string OutputProblem(const PlannedJoin& join, bool force);

// `zendra-cli info PART`: the set the join infers from a part of another tool's (its naming, first
// and last part, check files) and whether it would join, writing nothing. The exit status.
int PartsInfo(const JoinRequest& request, std::ostream& out, std::ostream& err);

// The folder this program's file lies in (zendra-join.exe is looked for there).
std::filesystem::path ProgramFolder();

} // namespace zendra
