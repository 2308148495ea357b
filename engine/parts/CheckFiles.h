// Other tools' check files beside a set of parts: coreutils' and BSD's lines for MD5, SHA-1,
// SHA-224, SHA-256, SHA-384, SHA-512 and BLAKE2b ("HEX  name", "HEX *name", escaped, or tagged
// "SHA256 (name) = HEX"), xxhsum's for XXH32, XXH64, XXH3 and XXH128, .sfv ("name CRC32") and
// .crc ("filename=…", "size=…", "crc32=…"). Found by extension after the parts' prefix
// (NAME.sha256, NAME.b2, NAME.xxh64, …), by fixed name (SHA256SUMS, MD5SUMS, B2SUMS, …), and by
// content: a small file whose name starts with the prefix and whose every line is one of these.
#pragma once

#include "base/Hash.h"
#include "io/PlatformPath.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zendra {

struct CheckEntry {
    std::optional<HashKind> Kind; // nothing: a hash this program does not compute (SHA-224,
                                  // BLAKE2b of another length than 512 bits)
    std::string Algorithm;        // as the tools name it: "SHA256", "BLAKE2b", "XXH64", "CRC32"
    std::string Hex;              // lower case
};

struct CheckFile {
    std::filesystem::path Path;
    std::map<std::string, CheckEntry> Hashes;   // file name (its base name, UTF-8) -> hash
    std::map<std::string, std::uint64_t> Sizes; // file name -> length, where the file gives one
    // Found by a fixed name or by its content: it counts only where it names the set.
    bool Shared = false;
};

// Reads a check file's text; throws Failure naming it when a line is not of its format, when it
// names nothing, or when two lines give one file different hashes.
CheckFile ParseCheckFile(const std::filesystem::path& path, const std::string& text);

// Whether a name is a check file's by its extension or fixed name.
bool IsCheckFileName(const std::filesystem::path& path);

// The check files among `entries` (a folder's files, full paths) that belong to a set whose
// parts' names start with `stem` (the folder and the prefix without a trailing "."): by
// extension, by fixed name, and small files starting with `stem` read by content. `parts` are
// never read as check files.
std::vector<CheckFile> FindCheckFiles(const std::vector<PathText>& entries, const PathText& stem,
                                      const std::vector<PathText>& parts);

} // namespace zendra
