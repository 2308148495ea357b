// The checksum file beside the index: NAME.xxh128, one line per file in the format of `xxhsum -H2`
// (XXH3 128-bit, 32 hex digits, two spaces, the file's name), so `xxhsum -H2 -c` checks it alone.
#pragma once

#include "base/Hash.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zendra {

// XXH3 128-bit over a stream of bytes; Hex() gives the 32 lower-case hex digits xxhsum prints.
struct Hash128 : Hasher {
    Hash128() : Hasher(HashKind::Xxh128) {}
};

std::filesystem::path ChecksumName(const std::filesystem::path& source);

// File name (UTF-8, no folder) -> hex digits.
using ChecksumList = std::map<std::string, std::string>;

std::string EncodeChecksums(const ChecksumList& list);
// Read as xxhsum reads it (see ChecksumLine.h), lines of another form skipped. Nothing when
// no line is a checksum line, the text starts with a byte-order mark, or one name has two
// different checksums.
std::optional<ChecksumList> DecodeChecksums(const std::string& text);

} // namespace zendra
