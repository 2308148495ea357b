// Joining the parts other tools make (see PartNaming.h): plain concatenation, checked against the
// check files beside them (see CheckFiles.h). Parts that read as Zendra's own pieces are joined as
// pieces instead. Callers go through JoinRequest.h, which also takes an index.
#pragma once

#include "base/Hash.h"
#include "engine/Replace.h"
#include "io/Progress.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zendra {

// The message of a set whose name says nothing of the joined file's (GNU split's default prefix
// "x", or none at all): the caller asks for a name and reads the plan again with it.
inline constexpr char NameNeededMessage[] = "The parts do not say the joined file's name.";

struct PartFile {
    std::filesystem::path Location;
    std::uint64_t Offset = 0; // where its bytes of the joined file start: 10 in a Zendra piece
    std::uint64_t Length = 0;
};

// What a check file expects of a part or of the joined file.
struct ExpectedHash {
    std::size_t CheckFile = 0; // in PartsPlan::CheckFiles
    HashKind Kind = HashKind::Crc32;
    std::string Hex;
};

// What joining a set of parts reads and writes, found and checked before anything is written.
struct PartsPlan {
    std::vector<PartFile> Parts;      // in order
    std::filesystem::path OutputName; // a plain file name; empty when NeedsName
    bool NeedsName = false;           // see NameNeededMessage
    std::uint64_t TotalSize = 0;
    // The first part reads as one of Zendra's pieces (header and trailer match): every part is
    // read as one. When their index is beside them, Index names it and Parts is empty: the caller
    // joins through the index instead (Join.h).
    bool ZendraPieces = false;
    std::filesystem::path Index;
    std::vector<std::filesystem::path> CheckFiles;     // beside the parts, named after the output
    std::vector<std::vector<ExpectedHash>> PartHashes; // one list per part, of the whole file
    std::vector<ExpectedHash> OutputHashes;
    std::optional<std::uint64_t> OutputSize;
    std::size_t OutputSizeFile = 0; // the check file that gives OutputSize
    // One line for the user about what could not be checked, or empty.
    std::string Note;
};

// Finds the set that Picked belongs to (see FollowParts) and checks it, throwing Failure naming
// what is wrong. A check file that names parts decides the set: each part it names is joined, or
// the plan fails naming the one missing. Without one, a file beside the parts named like one of
// them that is not in the run fails, named, unless Last (the set's last part) is given.
// LastPartHint tells the user how to name the last part (the tool's "--last PART"). Name, when not
// empty, is the joined file's name; without it the name comes from the parts, and a set that
// gives none is planned with NeedsName.
PartsPlan ReadPartsPlan(const std::filesystem::path& Picked, const std::filesystem::path& Name,
                        const std::filesystem::path& Last, const std::string& LastPartHint);

// Checks every part a check file names, then concatenates the parts into Output through the
// folder's Replacement (which first mends what a killed run left there, telling `notice`), hashing
// the bytes as they are written; the output takes its name only when every hash matched. An
// existing output is refused unless Replace (and always when it is one of the parts); a replaced
// one keeps its permissions. Throws Failure; a progress that returns false cancels.
void WritePartsJoin(const PartsPlan& Plan, const std::filesystem::path& Output, bool Replace,
                    const Progress& progress = {}, const Notice& notice = {});

} // namespace zendra
