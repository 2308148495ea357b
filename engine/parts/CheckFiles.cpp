#include "parts/CheckFiles.h"

#include "base/ChecksumLine.h"
#include "base/Failure.h"
#include "formats/Checksum.h"
#include "io/File.h"

#include <algorithm>
#include <charconv>

namespace zendra {
namespace {

enum class Layout { Coreutils, Sfv, Crc };

struct Kind {
    const char* Extension;
    HashKind Hash;
    Layout Lines;
};

constexpr Kind kKinds[] = {{".sha256", HashKind::Sha256, Layout::Coreutils},
                           {".sha512", HashKind::Sha512, Layout::Coreutils},
                           {".sha1", HashKind::Sha1, Layout::Coreutils},
                           {".md5", HashKind::Md5, Layout::Coreutils},
                           {".xxh128", HashKind::Xxh128, Layout::Coreutils},
                           {".sfv", HashKind::Crc32, Layout::Sfv},
                           {".crc", HashKind::Crc32, Layout::Crc}};

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

const Kind& KindOfName(const std::filesystem::path& path) {
    const std::string name = AsciiLower(DisplayPath(path.filename()));
    for (const Kind& kind : kKinds) {
        const std::string extension = kind.Extension;
        if (name.size() > extension.size() &&
            name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
            return kind;
    }
    throw Failure("\"" + DisplayPath(path) + "\" is not a check file of a known kind.");
}

} // namespace

CheckFile ParseCheckFile(const std::filesystem::path& path, const std::string& text) {
    const Kind& kind = KindOfName(path);
    CheckFile file;
    file.Path = path;
    file.Kind = kind.Hash;
    const std::size_t digits = HexDigits(kind.Hash);
    const std::string bad = "The check file \"" + DisplayPath(path) + "\" is damaged: ";
    std::string crcName, crcHex;
    std::optional<std::uint64_t> crcSize;
    // Windows tools start the text with a byte-order mark (and end lines with CR LF).
    const bool marked = text.rfind("\xEF\xBB\xBF", 0) == 0;
    for (std::string line : TextLines(marked ? text.substr(3) : text)) {
        if (Trimmed(line).empty()) continue;
        std::string name, hex;
        bool read = false;
        if (kind.Lines == Layout::Coreutils) {
            if (const auto parsed = ParseChecksumLine(line, digits)) {
                name = parsed->Name;
                hex = parsed->Hex;
                read = true;
            }
        } else if (kind.Lines == Layout::Sfv) {
            if (line[0] == ';') continue; // a comment
            line = Trimmed(line);
            const auto space = line.find_last_of(" \t");
            if (space != std::string::npos) {
                name = Trimmed(line.substr(0, space));
                hex = line.substr(space + 1);
                read = !name.empty() && IsHexDigits(hex, digits);
            }
        } else {
            const auto equals = line.find('=');
            if (equals == std::string::npos) throw Failure(bad + "\"" + line + "\".");
            const std::string key = AsciiLower(Trimmed(line.substr(0, equals)));
            const std::string value = line.substr(equals + 1);
            if (key == "filename") crcName = value;
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
            continue;
        }
        if (!read) throw Failure(bad + "a line is not a hash and a file name.");
        if (name.rfind("./", 0) == 0) name.erase(0, 2); // as `sha256sum ./*` writes
        file.Hashes[name] = AsciiLower(hex);
    }
    if (kind.Lines == Layout::Crc) {
        if (crcName.empty() || !IsHexDigits(crcHex, digits))
            throw Failure(bad + "it lacks its filename= or crc32= line.");
        file.Hashes[crcName] = AsciiLower(crcHex);
        if (crcSize) file.Sizes[crcName] = *crcSize;
    }
    if (file.Hashes.empty()) throw Failure(bad + "it names no file.");
    return file;
}

std::vector<CheckFile> ReadCheckFiles(const std::filesystem::path& base) {
    std::vector<CheckFile> files;
    for (const Kind& kind : kKinds) {
        const std::string extension = kind.Extension;
        const std::filesystem::path path =
            base.native() + std::filesystem::path::string_type(extension.begin(), extension.end());
        if (KindOf(path) == EntryKind::Missing) continue;
        files.push_back(ParseCheckFile(path, ReadSmallFile(path, "a check file")));
    }
    return files;
}

} // namespace zendra
