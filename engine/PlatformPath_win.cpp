#include "PlatformPath.h"

#include "PathHelpers.h"

namespace zendra {

// "/" stays part of the name here, so that the join refuses it rather than leaving the folder.
std::filesystem::path::string_type LastPathSegment(const std::filesystem::path::string_type& path) {
    return GetFileName(path);
}

} // namespace zendra
