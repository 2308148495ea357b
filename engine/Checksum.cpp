#include "Checksum.h"

#if ZENDRA_XXHASH_DISPATCH
// Debian's libxxhash picks the widest vector unit the processor has (AVX2 hashes twice as fast
// as the SSE2 that x86-64 code may assume), and the hashing is most of a split's own work.
#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>
#include <xxh_x86dispatch.h>
#else
// Compiled into this file, so that the 32-bit Windows build needs no library of its own.
#define XXH_INLINE_ALL
#include <xxhash.h>
#endif

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace zendra {

struct Hash128::State {
    XXH3_state_t xxh;
};

Hash128::Hash128() : state_(std::make_unique<State>()) {
    XXH3_128bits_reset(&state_->xxh);
}
Hash128::Hash128(Hash128&&) noexcept = default;
Hash128& Hash128::operator=(Hash128&&) noexcept = default;
Hash128::~Hash128() = default;

void Hash128::Update(const void* data, std::size_t size) {
    XXH3_128bits_update(&state_->xxh, data, size);
}

std::string Hash128::Hex() const {
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(&state_->xxh));
    std::string hex;
    for (const unsigned char byte : canonical.digest) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", byte);
        hex += two;
    }
    return hex;
}

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

std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
        start = end + 1;
    }
    return lines;
}

std::optional<ChecksumList> DecodeChecksums(const std::string& text) {
    // xxhsum refuses a file that starts with a byte-order mark.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) return std::nullopt;
    ChecksumList list;
    for (const std::string& line : TextLines(text)) {
        // As xxhsum reads it: 32 hex digits in either case, a space, a space or "*", the name;
        // any other line is skipped.
        const bool hex = line.size() > 34 && std::all_of(line.begin(), line.begin() + 32, [](char c) {
                             return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                         });
        if (!hex || line[32] != ' ' || (line[33] != ' ' && line[33] != '*')) continue;
        std::string digits = line.substr(0, 32);
        std::transform(digits.begin(), digits.end(), digits.begin(),
                       [](char c) { return static_cast<char>(std::tolower(c)); });
        const auto [entry, added] = list.emplace(line.substr(34), digits);
        if (!added && entry->second != digits) return std::nullopt; // which one would be right?
    }
    if (list.empty()) return std::nullopt;
    return list;
}

} // namespace zendra
