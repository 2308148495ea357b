#include "CheckFiles.h"

#include "Checksum.h"
#include "Failure.h"
#include "File.h"

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

// ASCII only, whatever the locale: hex digits and key words.
std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool IsHex(const std::string& text, std::size_t digits) {
    return text.size() == digits && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
           });
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// coreutils writes a name holding "\" or a line break escaped, the line then starting with "\".
std::string Unescaped(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 1 < name.size()) {
            out += name[i + 1] == 'n' ? '\n' : name[i + 1] == 'r' ? '\r' : name[i + 1];
            ++i;
        } else {
            out += name[i];
        }
    }
    return out;
}

// One line as coreutils and xxhsum write it: the name and its hash, or false.
bool ReadCoreutilsLine(std::string line, std::size_t digits, std::string& name, std::string& hex) {
    const bool escaped = !line.empty() && line[0] == '\\';
    if (escaped) line.erase(0, 1);
    const auto open = line.find(" (");
    const auto close = line.rfind(") = ");
    if (open != std::string::npos && close != std::string::npos && close > open &&
        IsHex(line.substr(close + 4), digits)) { // tagged: "SHA256 (name) = HEX"
        name = line.substr(open + 2, close - open - 2);
        hex = line.substr(close + 4);
    } else if (line.size() > digits + 2 && line[digits] == ' ' &&
               (line[digits + 1] == ' ' || line[digits + 1] == '*') &&
               IsHex(line.substr(0, digits), digits)) {
        name = line.substr(digits + 2);
        hex = line.substr(0, digits);
    } else {
        return false;
    }
    if (escaped) name = Unescaped(name);
    return true;
}

const Kind& KindOfName(const std::filesystem::path& path) {
    const std::string name = Lower(DisplayPath(path.filename()));
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
            read = ReadCoreutilsLine(line, digits, name, hex);
        } else if (kind.Lines == Layout::Sfv) {
            if (line[0] == ';') continue; // a comment
            line = Trimmed(line);
            const auto space = line.find_last_of(" \t");
            if (space != std::string::npos) {
                name = Trimmed(line.substr(0, space));
                hex = line.substr(space + 1);
                read = !name.empty() && IsHex(hex, digits);
            }
        } else {
            const auto equals = line.find('=');
            if (equals == std::string::npos) throw Failure(bad + "\"" + line + "\".");
            const std::string key = Lower(Trimmed(line.substr(0, equals)));
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
        file.Hashes[name] = Lower(hex);
    }
    if (kind.Lines == Layout::Crc) {
        if (crcName.empty() || !IsHex(crcHex, digits))
            throw Failure(bad + "it lacks its filename= or crc32= line.");
        file.Hashes[crcName] = Lower(crcHex);
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
