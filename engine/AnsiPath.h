// The index stores the source path as 8-bit text: the ANSI code page on Windows,
// the path's own bytes elsewhere.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zendra {

// Nothing when the path has characters that the 8-bit form cannot carry.
std::optional<std::string> ToIndexText(const std::filesystem::path& path);
std::filesystem::path FromIndexText(const std::string& text);

} // namespace zendra
