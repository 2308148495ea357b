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
    std::vector<std::filesystem::path> CheckFiles; // beside the parts, that name them or the output
    std::vector<std::vector<ExpectedHash>> PartHashes; // one list per part, of the whole file
    std::vector<ExpectedHash> OutputHashes;
    std::optional<std::uint64_t> OutputSize;
    std::size_t OutputSizeFile = 0; // the check file that gives OutputSize
    // One line for the user about what could not be checked (the same sentence the tool and the
    // window show), or empty.
    std::string Note;
};

// What the user picked and told of a set of other tools' parts.
struct PartsRequest {
    std::filesystem::path Picked;
    std::filesystem::path Name;  // the joined file's name; empty: from the parts
    std::filesystem::path First; // the set's first part, where its tool does not start sets
    std::filesystem::path Last;  // the set's last part: look-alikes after it are left alone
    // How the user names the first and the last part, for the messages that refuse a set ("--first
    // PART", "--last PART": PART becomes the part's name); empty where there is no way.
    std::string FirstPartHint;
    std::string LastPartHint;
};

// Finds the set that Picked belongs to (see FollowParts) and checks it, throwing Failure naming
// what is wrong. A set starts where its tool starts sets (PartNaming::StartsAt), or at First. A
// check file that names parts decides the set: each part it names is joined, a missing one or a
// present one it does not name fails, named. Without one, every file beside the parts that their
// naming could give (LookAlikeNamings) and that is not joined fails, named, as does a part after
// a shorter one that follows a run of parts of one size; Last leaves the files after it alone.
// A set whose prefix gives no name (GNU split's default prefix "x") is planned with NeedsName
// unless Name is given.
PartsPlan ReadPartsPlan(const PartsRequest& request);
// The request for a picked part alone: no name, first or last given.
inline PartsRequest PickedPart(const std::filesystem::path& picked) {
    PartsRequest request;
    request.Picked = picked;
    return request;
}

// Checks every part a check file names, then concatenates the parts into Output through the
// folder's Replacement (which first mends what a killed run left there, telling `notice`), hashing
// the bytes as they are written; the output takes its name only when every hash matched. An
// existing output is refused unless Replace (and always when it is one of the parts); a replaced
// one keeps its permissions. Throws Failure; a progress that returns false cancels.
void WritePartsJoin(const PartsPlan& Plan, const std::filesystem::path& Output, bool Replace,
                    const Progress& progress = {}, const Notice& notice = {});

} // namespace zendra
