#include "Checksum.h"

#include "ChecksumLine.h"

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
    return HexOf(canonical.digest, sizeof canonical.digest);
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
