#include "base/ChecksumLine.h"

#include <algorithm>

namespace zendra {
namespace {

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

} // namespace

std::vector<std::string> TextLines(std::string_view text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
        start = end + 1;
    }
    return lines;
}

bool IsHexDigits(std::string_view text, std::size_t digits) {
    return text.size() == digits && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
           });
}

std::string HexOf(const std::uint8_t* bytes, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 15];
    }
    return hex;
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::optional<ChecksumLine> ParseChecksumLine(std::string line, std::size_t digits) {
    const bool escaped = !line.empty() && line[0] == '\\';
    if (escaped) line.erase(0, 1);
    ChecksumLine read;
    const auto open = line.find(" (");
    const auto close = line.rfind(") = ");
    if (open != std::string::npos && close != std::string::npos && close > open &&
        IsHexDigits(std::string_view(line).substr(close + 4), digits)) {
        read.Name = line.substr(open + 2, close - open - 2);
        read.Hex = line.substr(close + 4);
    } else if (line.size() > digits + 2 && line[digits] == ' ' &&
               (line[digits + 1] == ' ' || line[digits + 1] == '*') &&
               IsHexDigits(std::string_view(line).substr(0, digits), digits)) {
        read.Name = line.substr(digits + 2);
        read.Hex = line.substr(0, digits);
    } else {
        return std::nullopt;
    }
    if (escaped) read.Name = Unescaped(read.Name);
    read.Hex = AsciiLower(read.Hex);
    return read;
}

} // namespace zendra
