#include "base/SystemPath.h"

namespace zendra {

std::filesystem::path::string_type SystemName(const std::filesystem::path& path) {
    return path.native();
}

} // namespace zendra
