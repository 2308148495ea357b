// The path as this system's file calls take it.
#pragma once

#include <filesystem>

namespace zendra {

// On Windows a path near MAX_PATH (260) characters or longer only works made full and with the
// "\\?\" prefix, which every NT system's wide calls accept: the engine and the window both reach
// files through this. Elsewhere the path itself.
std::filesystem::path::string_type SystemName(const std::filesystem::path& path);

} // namespace zendra
