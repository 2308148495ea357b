#include "AnsiPath.h"

namespace zendra {

std::optional<std::string> ToIndexText(const std::filesystem::path& path) { return path.native(); }

std::filesystem::path FromIndexText(const std::string& text) { return std::filesystem::path(text); }

} // namespace zendra
