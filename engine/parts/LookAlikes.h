// What a set's names and sizes reveal beyond its run of parts: files beside it that its naming
// could give but that are not joined (a part before the first, after a gap, past the end, the
// same width in the other digit alphabet, GNU's widening form), and a part that follows a
// shorter one after a run of parts of one size. Each fails, named, with the way on.
#pragma once

#include "io/PlatformPath.h"
#include "parts/PartNaming.h"

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace zendra {

struct SetBounds {
    bool FirstGiven = false;   // files before the first part are left alone
    bool LastGiven = false;    // files after the last part are left alone
    std::string FirstPartHint; // "--first PART", or empty
    std::string LastPartHint;  // "--last PART", or empty
    // The check file that names the parts, when one decides the set.
    std::filesystem::path Decider;
};

// "--last PART" with PART the quoted name of `part`.
std::string WayOn(const std::string& hint, const PathText& part);

// Throws Failure naming the first file among `entries` (full paths) that one of `namings` (the
// run's) or their LookAlikeNamings give, that is not in `run` and not in `ignored`.
void RefuseLookAlikes(const std::vector<PathText>& run, const std::vector<NamingAt>& namings,
                      const std::vector<PathText>& entries, const std::set<PathText>& ignored,
                      const SetBounds& bounds);

// Where the parts before some part P are all one size (two parts at least) and P is shorter, P is
// the set's last: a part after it fails, named, with `--last` for either end.
void RefuseImpossibleSizes(const std::vector<PathText>& run,
                           const std::vector<std::uint64_t>& sizes, const SetBounds& bounds);

// Files that lie beside sets and are no parts though a set's names could give them: notes and
// indexes (NAME.nfo, NAME.txt, NAME.tpl, …) by their extension.
bool IsSidecarName(const PathText& name);

} // namespace zendra
