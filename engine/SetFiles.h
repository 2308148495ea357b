// The files one set is made of: what "delete the set" removes once the set has been joined.
#pragma once

#include "engine/Join.h"

#include <filesystem>
#include <vector>

namespace zendra {

struct PartsPlan;

// A set of Zendra's pieces, after a join of the index IndexPath by Plan: the index, each piece
// where the join read it, the checksum files it checked them against (beside the pieces, and
// beside the index where that differs), and the files a split writes beside the index with them:
// the recovery files NAME.par2 and NAME.vol*.par2, the kit NAME.join.sh and NAME.join.exe (NAME:
// the index's name less ".tpl"). Names, not all of which need exist: a piece rebuilt from the
// recovery data may be missing, a kit may never have been written.
std::vector<std::filesystem::path> SetFiles(const std::filesystem::path& IndexPath,
                                            const JoinPlan& Plan);

// Another tool's set: its parts alone. Its check files stay: one may hold the joined file's hash
// (and other files').
std::vector<std::filesystem::path> SetFiles(const PartsPlan& Plan);

} // namespace zendra
