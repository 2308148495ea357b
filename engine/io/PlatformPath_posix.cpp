#include "io/PlatformPath.h"

namespace zendra {

RecordedSource ReadRecordedSource(const PathText& path) {
    const char separator = path.find('/') != PathText::npos ? '/' : '\\';
    const std::size_t last = path.rfind(separator);
    if (last == PathText::npos) return {std::nullopt, path};
    if (separator == '\\') return {std::nullopt, path.substr(last + 1)};
    return {path.substr(0, last + 1), path.substr(last + 1)};
}

bool IsPlainFileName(const PathText& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == PathText::npos;
}

} // namespace zendra
