// The index stores the source path as 8-bit text: the ANSI code page on Windows,
// the path's own bytes elsewhere.
#pragma once

#include "base/Utf8.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zendra {

// Nothing when the path has characters that the 8-bit form cannot carry.
std::optional<std::string> ToIndexText(const std::filesystem::path& path);
// The path an index's text names. With a code page (a Windows code page number), the text is read
// in it. Without one: on Windows the ANSI code page, except that a path written on Linux (it holds
// "/" and no "\") is UTF-8 when it is valid UTF-8; elsewhere the bytes themselves. Nothing when
// the code page cannot read the text.
std::optional<std::filesystem::path> FromIndexText(const std::string& text, unsigned codePage = 0);

} // namespace zendra
