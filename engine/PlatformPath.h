// The file-name part of a path as this platform reads it.
#pragma once

#include <filesystem>

namespace zendra {

// The text after the last separator: "\" everywhere, and "/" too where it separates folders
// without being a name's character. An index written on Windows still names its pieces on Linux.
std::filesystem::path::string_type LastPathSegment(const std::filesystem::path::string_type& path);

} // namespace zendra
