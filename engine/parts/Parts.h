// Joining the parts other tools make (see PartNaming.h): plain concatenation, checked against the
// check files beside them (see CheckFiles.h). Parts that read as Zendra's own pieces are joined as
// pieces instead.
#pragma once

#include "Digest.h"
#include "Progress.h"

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
    std::vector<PartFile> Parts;      // in order, from the first number to the first missing one
    std::filesystem::path OutputName; // a plain file name
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
    // One line for the user about what could not be checked, or empty.
    std::string Note;
};

// Finds the set that FirstPart begins (NAME.000 or NAME.001, PREFIXaa, PREFIX00 or PREFIX01) and
// checks it: the parts run from the first number to the first missing one, and a higher number
// present after that gap fails naming the missing part, as does a part a check file names that is
// not there. Name, when not empty, is the joined file's name; without it the name comes from the
// parts' and a set that gives none fails with NameNeededMessage.
bool ReadPartsPlan(const std::filesystem::path& FirstPart, const std::filesystem::path& Name,
                   PartsPlan& Plan, std::string& Message);

// Checks every part a check file names, then concatenates the parts into OutputFolder followed
// directly by OutputName, hashing the bytes as they are written; the output appears only when
// every hash matched (it is written under a temporary name and renamed). An existing output is
// refused unless Replace. A progress that returns false cancels.
bool WritePartsJoin(const PartsPlan& Plan, const std::filesystem::path& OutputFolder, bool Replace,
                    std::string& Message, const Progress& progress = {});

} // namespace zendra
