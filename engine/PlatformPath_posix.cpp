#include "PlatformPath.h"

#include "PathHelpers.h"

namespace zendra {

std::filesystem::path::string_type LastPathSegment(const std::filesystem::path::string_type& path) {
    const std::string name = GetFileName(path);
    const std::size_t slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

} // namespace zendra
