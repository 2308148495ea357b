// Other tools' check files beside a set of parts, named after the joined file: NAME.sha256,
// NAME.sha512, NAME.sha1, NAME.md5 and NAME.xxh128 as coreutils and xxhsum write them ("HEX  name",
// "HEX *name", or tagged "SHA256 (name) = HEX"), NAME.sfv ("name CRC32"), NAME.crc
// ("filename=…", "size=…", "crc32=…").
#pragma once

#include "base/Hash.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zendra {

struct CheckFile {
    std::filesystem::path Path;
    HashKind Kind = HashKind::Crc32;
    std::map<std::string, std::string> Hashes;  // file name as written (UTF-8) -> lower-case hex
    std::map<std::string, std::uint64_t> Sizes; // file name -> length, where the file gives one
};

// Reads a check file's text; throws Failure naming it when a line is not of its format or it
// names nothing.
CheckFile ParseCheckFile(const std::filesystem::path& path, const std::string& text);

// Every check file of the kinds above at `base` followed by its extension (`base` is the folder
// and the joined file's name), read in that order.
std::vector<CheckFile> ReadCheckFiles(const std::filesystem::path& base);

} // namespace zendra
