#include "parts/CheckFiles.h"

#include "base/ChecksumLine.h"
#include "base/Failure.h"
#include "io/File.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace zendra {
namespace {

namespace fs = std::filesystem;

enum class Layout { Lines, Sfv, Crc };

struct Algorithm {
    const char* Tag; // as in BSD's tagged lines
    std::optional<HashKind> Kind;
    std::size_t Digits;
};

constexpr Algorithm kAlgorithms[] = {
    {"MD5", HashKind::Md5, 32},          {"SHA1", HashKind::Sha1, 40},
    {"SHA224", std::nullopt, 56},        {"SHA256", HashKind::Sha256, 64},
    {"SHA384", HashKind::Sha384, 96},    {"SHA512", HashKind::Sha512, 128},
    {"BLAKE2b", HashKind::Blake2b, 128}, {"XXH32", HashKind::Xxh32, 8},
    {"XXH64", HashKind::Xxh64, 16},      {"XXH3", HashKind::Xxh3, 16},
    {"XXH128", HashKind::Xxh128, 32},    {"CRC32", HashKind::Crc32, 8},
};

const Algorithm& AlgorithmNamed(const std::string& tag) {
    for (const Algorithm& algorithm : kAlgorithms)
        if (tag == algorithm.Tag) return algorithm;
    return kAlgorithms[0];
}

struct Kind {
    const char* Ending; // an extension, or a fixed name (no dot)
    const char* Tag;
    Layout Lines = Layout::Lines;
};

constexpr Kind kKinds[] = {
    {".md5", "MD5"},
    {".md5sum", "MD5"},
    {".sha1", "SHA1"},
    {".sha1sum", "SHA1"},
    {".sha224", "SHA224"},
    {".sha256", "SHA256"},
    {".sha256sum", "SHA256"},
    {".sha384", "SHA384"},
    {".sha512", "SHA512"},
    {".sha512sum", "SHA512"},
    {".b2", "BLAKE2b"},
    {".blake2", "BLAKE2b"},
    {".blake2b", "BLAKE2b"},
    {".xxh32", "XXH32"},
    {".xxh64", "XXH64"},
    {".xxh3", "XXH3"},
    {".xxh128", "XXH128"},
    {".sfv", "CRC32", Layout::Sfv},
    {".crc", "CRC32", Layout::Crc},
    {"md5sums", "MD5"},
    {"sha1sums", "SHA1"},
    {"sha224sums", "SHA224"},
    {"sha256sums", "SHA256"},
    {"sha384sums", "SHA384"},
    {"sha512sums", "SHA512"},
    {"b2sums", "BLAKE2b"},
    {"blake2sums", "BLAKE2b"},
};

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

const Kind* KindOfName(const fs::path& path) {
    const std::string name = AsciiLower(DisplayPath(path.filename()));
    for (const Kind& kind : kKinds) {
        const std::string ending = kind.Ending;
        if (ending[0] != '.'
                ? name == ending
                : name.size() > ending.size() &&
                      name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
            return &kind;
    }
    return nullptr;
}

// The file an entry names, by its base name: "./data.bin.001" and "dir/data.bin.001" name
// "data.bin.001".
std::string BaseName(std::string name) {
    if (const auto slash = name.find_last_of("/\\"); slash != std::string::npos)
        name.erase(0, slash + 1);
    return name;
}

// A coreutils or xxhsum line: tagged ("SHA256 (name) = HEX", BLAKE2b-256 as b2sum -l 256
// writes it) or plain with the digits of `plain` (nothing: of any algorithm's count).
std::optional<std::pair<std::string, CheckEntry>> ParseLine(const std::string& line,
                                                            const Algorithm* plain) {
    const std::size_t skip = !line.empty() && line[0] == '\\' ? 1 : 0;
    const auto open = line.find(" (");
    if (open != std::string::npos && line.rfind(") = ") != std::string::npos) {
        std::string tag = line.substr(skip, open - skip);
        std::size_t digits = 0;
        if (tag.rfind("BLAKE2b-", 0) == 0) {
            const std::string bits = tag.substr(8);
            std::from_chars(bits.data(), bits.data() + bits.size(), digits);
            digits /= 4;
            tag = "BLAKE2b";
        }
        const Algorithm& algorithm = AlgorithmNamed(tag);
        if (tag == algorithm.Tag) {
            // b2sum -l N: a shorter BLAKE2b, which this program does not compute.
            const bool computed = digits == 0 || digits == algorithm.Digits;
            if (const auto read = ParseChecksumLine(line, digits ? digits : algorithm.Digits))
                return std::pair(BaseName(read->Name),
                                 CheckEntry{computed ? algorithm.Kind : std::optional<HashKind>(),
                                            computed ? tag : tag + "-" + std::to_string(digits * 4),
                                            read->Hex});
        }
    }
    for (const Algorithm& algorithm : kAlgorithms) {
        if (plain && &algorithm != plain) continue;
        if (const auto read = ParseChecksumLine(line, algorithm.Digits))
            if (read->Hex.size() == algorithm.Digits &&
                (read->Name.empty() || read->Name[0] != '('))
                return std::pair(BaseName(read->Name),
                                 CheckEntry{algorithm.Kind, algorithm.Tag, read->Hex});
        if (!plain && std::string(algorithm.Tag) == "SHA512") break; // no plain XXH or CRC
    }
    return std::nullopt;
}

void Add(CheckFile& file, const std::pair<std::string, CheckEntry>& entry) {
    const auto [at, added] = file.Hashes.insert(entry);
    if (!added &&
        (at->second.Hex != entry.second.Hex || at->second.Algorithm != entry.second.Algorithm))
        throw Failure("The check file \"" + DisplayPath(file.Path) + "\" gives \"" + entry.first +
                      "\" two different hashes; nothing was joined.");
}

// The lines of a check file of `kind`, or of any kind (read by content); nothing when a line is
// not one and `kind` is not given, else a Failure.
std::optional<CheckFile> Parse(const fs::path& path, const std::string& text, const Kind* kind) {
    CheckFile file;
    file.Path = path;
    const std::string bad = "The check file \"" + DisplayPath(path) + "\" is damaged: ";
    const Algorithm* algorithm = kind ? &AlgorithmNamed(kind->Tag) : nullptr;
    const Layout layout = kind ? kind->Lines : Layout::Lines;
    std::string crcName, crcHex;
    std::optional<std::uint64_t> crcSize;
    // Windows tools start the text with a byte-order mark (and end lines with CR LF).
    const bool marked = text.rfind("\xEF\xBB\xBF", 0) == 0;
    for (std::string line : TextLines(marked ? text.substr(3) : text)) {
        if (Trimmed(line).empty()) continue;
        if (layout == Layout::Lines) {
            const auto entry = ParseLine(
                line, algorithm && algorithm->Kind != HashKind::Xxh3 ? algorithm : nullptr);
            if (!entry) {
                if (!kind) return std::nullopt;
                throw Failure(bad + "a line is not a hash and a file name.");
            }
            Add(file, *entry);
        } else if (layout == Layout::Sfv) {
            if (line[0] == ';') continue; // a comment
            line = Trimmed(line);
            const auto space = line.find_last_of(" \t");
            const std::string hex = space == std::string::npos ? "" : line.substr(space + 1);
            const std::string name =
                space == std::string::npos ? "" : Trimmed(line.substr(0, space));
            if (name.empty() || !IsHexDigits(hex, 8))
                throw Failure(bad + "a line is not a file name and a CRC-32.");
            Add(file, {BaseName(name), CheckEntry{HashKind::Crc32, "CRC32", AsciiLower(hex)}});
        } else {
            const auto equals = line.find('=');
            if (equals == std::string::npos) throw Failure(bad + "\"" + line + "\".");
            const std::string key = AsciiLower(Trimmed(line.substr(0, equals)));
            const std::string value = line.substr(equals + 1);
            if (key == "filename") crcName = BaseName(value);
            if (key == "crc32") crcHex = Trimmed(value);
            if (key == "size") {
                const std::string number = Trimmed(value);
                std::uint64_t size = 0;
                const auto parsed =
                    std::from_chars(number.data(), number.data() + number.size(), size);
                if (number.empty() || parsed.ec != std::errc() ||
                    parsed.ptr != number.data() + number.size())
                    throw Failure(bad + "its size is not a number.");
                crcSize = size;
            }
        }
    }
    if (layout == Layout::Crc) {
        if (crcName.empty() || !IsHexDigits(crcHex, 8))
            throw Failure(bad + "it lacks its filename= or crc32= line.");
        Add(file, {crcName, CheckEntry{HashKind::Crc32, "CRC32", AsciiLower(crcHex)}});
        if (crcSize) file.Sizes[crcName] = *crcSize;
    }
    if (file.Hashes.empty()) {
        if (!kind) return std::nullopt;
        throw Failure(bad + "it names no file.");
    }
    return file;
}

constexpr std::uint64_t kMaxSniffed = 1 << 20; // a check file of a million parts is far less

} // namespace

CheckFile ParseCheckFile(const fs::path& path, const std::string& text) {
    const Kind* kind = KindOfName(path);
    if (!kind) throw Failure("\"" + DisplayPath(path) + "\" is not a check file of a known kind.");
    return *Parse(path, text, kind);
}

bool IsCheckFileName(const fs::path& path) {
    return KindOfName(path) != nullptr;
}

std::vector<CheckFile> FindCheckFiles(const std::vector<PathText>& entries, const PathText& stem,
                                      const std::vector<PathText>& parts) {
    const std::set<PathText> skipped(parts.begin(), parts.end());
    std::vector<CheckFile> files;
    const PathText folder = stem.substr(0, stem.size() - fs::path(stem).filename().native().size());
    for (const PathText& entry : entries) {
        if (skipped.count(entry)) continue;
        const bool ours = entry.size() > stem.size() && entry.compare(0, stem.size(), stem) == 0;
        const Kind* kind = KindOfName(entry);
        const bool fixed = kind && kind->Ending[0] != '.';
        // NAME.sha256 beside parts whose prefix only starts with NAME ("take2.sha256" beside
        // "take2000": the prefix may take a symbol of the parts' own) counts where it names them.
        const PathText extension = fs::path(entry).extension().native();
        const PathText base = entry.substr(0, entry.size() - extension.size());
        const bool shorter = kind && !fixed && base.size() > folder.size() &&
                             stem.compare(0, base.size(), base) == 0;
        if (!ours && !fixed && !shorter) continue;
        if (KindOf(entry) != EntryKind::Regular) continue;
        if (kind) {
            CheckFile file = ParseCheckFile(entry, ReadSmallFile(entry, "a check file"));
            file.Shared = fixed || !ours;
            files.push_back(std::move(file));
            continue;
        }
        if (File::OpenForReading(entry).Size() >= kMaxSniffed) continue;
        if (auto file = Parse(entry, ReadSmallFile(entry, "a check file"), nullptr)) {
            file->Shared = true;
            files.push_back(std::move(*file));
        }
    }
    return files;
}

} // namespace zendra
