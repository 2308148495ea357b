#include "formats/Checksum.h"

#include "base/ChecksumLine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace zendra {

std::filesystem::path ChecksumName(const std::filesystem::path& source) {
    const std::string suffix = ".xxh128";
    return source.native() + std::filesystem::path::string_type(suffix.begin(), suffix.end());
}

std::string EncodeChecksums(const ChecksumList& list) {
    std::string text;
    for (const auto& [name, hex] : list)
        text += hex + "  " + name + "\n";
    return text;
}

std::optional<ChecksumList> DecodeChecksums(const std::string& text) {
    // xxhsum refuses a file that starts with a byte-order mark.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) return std::nullopt;
    ChecksumList list;
    for (const std::string& line : TextLines(text)) {
        // As xxhsum reads it: any line of another form is skipped.
        const auto read = ParseChecksumLine(line, 32);
        if (!read) continue;
        const auto [entry, added] = list.emplace(read->Name, read->Hex);
        if (!added && entry->second != read->Hex) return std::nullopt; // which one is right?
    }
    if (list.empty()) return std::nullopt;
    return list;
}

} // namespace zendra
