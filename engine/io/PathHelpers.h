// The text routines that take paths apart. "\" is the only separator they know;
// "/" is an ordinary character to them. They never touch the file system.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zendra {

// Positions of Pattern in Text, stepping one character at a time, so overlapping runs all count.
template <class Ch>
std::int32_t CountOccurrences(const std::basic_string<Ch>& Text, const std::basic_string<Ch>& Pattern) {
    std::int32_t count = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text.compare(i, Pattern.size(), Pattern) == 0) ++count;
    }
    return count;
}

// The segments before each "\" of Path; the text after the last "\" is not stored.
// An empty Path leaves Segments as it was.
template <class Ch>
void SplitPath(const std::basic_string<Ch>& Path, std::vector<std::basic_string<Ch>>& Segments) {
    if (Path.empty()) return;
    const std::basic_string<Ch> separator(1, Ch('\\'));
    Segments.assign(static_cast<std::size_t>(CountOccurrences(Path, separator)), {});
    std::size_t start = 0;
    for (auto& segment : Segments) {
        const std::size_t end = Path.find(Ch('\\'), start);
        segment = Path.substr(start, end - start);
        start = end + 1;
    }
}

// The text after the last "\", or the last folder name when Path ends in "\".
template <class Ch> std::basic_string<Ch> GetFileName(const std::basic_string<Ch>& Path) {
    std::basic_string<Ch> copy = Path;
    if (copy.empty() || copy.back() != Ch('\\')) copy.push_back(Ch('\\'));
    std::vector<std::basic_string<Ch>> segments;
    SplitPath(copy, segments);
    return segments.back();
}

// Everything up to and including the last "\"; empty when there is none.
template <class Ch> std::basic_string<Ch> GetFolderPath(const std::basic_string<Ch>& Path) {
    const std::size_t last = Path.rfind(Ch('\\'));
    return last == std::basic_string<Ch>::npos ? std::basic_string<Ch>() : Path.substr(0, last + 1);
}

} // namespace zendra
