// How this platform reads the source path an index records.
#pragma once

#include "base/SystemPath.h"

#include <filesystem>
#include <optional>

namespace zendra {

using PathText = std::filesystem::path::string_type;

// The folder (with its trailing separator) and the file name an index's FilePath gives on this
// system. On Windows "\" separates. On Linux "/" separates and "\" is a name's character, except in
// a path written on Windows (it holds "\" and no "/"), whose folder means nothing here: only its
// name is used.
struct RecordedSource {
    std::optional<PathText> Folder;
    PathText Name;
};
RecordedSource ReadRecordedSource(const PathText& path);

// A folder's text with a separator at its end, so that a file name can be glued onto it; empty
// stays empty (the working folder).
inline PathText WithTrailingSeparator(PathText folder) {
    if (!folder.empty() && folder.back() != std::filesystem::path::preferred_separator &&
        folder.back() != '/')
        folder.push_back(std::filesystem::path::preferred_separator);
    return folder;
}

// Whether a name can be created in a folder as one file there, on this system. The split accepts
// exactly the names the join accepts.
bool IsPlainFileName(const PathText& name);

} // namespace zendra
