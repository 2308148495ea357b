#include "io/PlatformPath.h"

#include "io/PathHelpers.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <iterator>

namespace zendra {

RecordedSource ReadRecordedSource(const PathText& path) {
    // A path written on Linux (it holds "/" and no "\"): its folder means nothing here, so only
    // the index's own folder is looked in.
    if (path.find(L'/') != PathText::npos && path.find(L'\\') == PathText::npos)
        return {std::nullopt, path.substr(path.rfind(L'/') + 1)};
    const PathText folder = GetFolderPath(path);
    if (folder.empty()) return {std::nullopt, path};
    return {folder, path.substr(folder.size())};
}

// Windows' own rules: no separator, stream, wildcard or control character, no device name (with
// or without an extension), no trailing dot or space.
bool IsPlainFileName(const PathText& name) {
    const bool control =
        std::any_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x20 || c == 0x7f; });
    if (name.empty() || name == L"." || name == L".." || control ||
        name.find_first_of(L"/\\:<>\"|?*") != PathText::npos || name.back() == L'.' ||
        name.back() == L' ')
        return false;
    PathText stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    std::transform(stem.begin(), stem.end(), stem.begin(), ::towupper);
    static const wchar_t* const devices[] = {L"CON", L"PRN", L"AUX", L"NUL"};
    if (std::any_of(std::begin(devices), std::end(devices),
                    [&](const wchar_t* device) { return stem == device; }))
        return false;
    return !(stem.size() == 4 && (stem.rfind(L"COM", 0) == 0 || stem.rfind(L"LPT", 0) == 0) &&
             stem[3] >= L'1' && stem[3] <= L'9');
}

} // namespace zendra
