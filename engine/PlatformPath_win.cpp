#include "PlatformPath.h"

#include "PathHelpers.h"

#include <algorithm>

namespace zendra {

RecordedSource ReadRecordedSource(const PathText& path) {
    const PathText folder = GetFolderPath(path);
    if (folder.empty()) return {std::nullopt, path};
    return {folder, path.substr(folder.size())};
}

// "/" and ":" would leave the folder or name a stream; control characters are no name's here.
bool IsPlainFileName(const PathText& name) {
    const bool control =
        std::any_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x20 || c == 0x7f; });
    return !name.empty() && name != L"." && name != L".." && !control &&
           name.find_first_of(L"/\\:") == PathText::npos;
}

} // namespace zendra
