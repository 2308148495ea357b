// The text of checksum files as coreutils' sha256sum and its kin and xxhsum write them, read the
// same way wherever the program reads one: its own checksum file and other tools' check files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zendra {

// The lines of a text, each without its line end ("\n", or "\r\n" as written on Windows).
std::vector<std::string> TextLines(std::string_view text);

// Whether `text` is exactly `digits` hex digits, of either case.
bool IsHexDigits(std::string_view text, std::size_t digits);
// Lower-case hex of bytes, as the tools print hashes.
std::string HexOf(const std::uint8_t* bytes, std::size_t size);
// ASCII letters in lower case, whatever the locale.
std::string AsciiLower(std::string text);

struct ChecksumLine {
    std::string Name;
    std::string Hex; // lower case
};
// One line: "HEX  NAME" or "HEX *NAME" (binary), or tagged "ALGO (NAME) = HEX", with `digits` hex
// digits of either case; a line starting with "\" has "\\", "\n" and "\r" escaped in its name.
// Nothing for a line of any other form.
std::optional<ChecksumLine> ParseChecksumLine(std::string line, std::size_t digits);

} // namespace zendra
