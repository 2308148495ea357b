// UTF-8, the text of every message and of the paths the tool is given: one decoder for all.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zendra {

// Whether the bytes are well-formed UTF-8 (no overlong form, surrogate or value past U+10FFFF).
bool IsValidUtf8(std::string_view text);
// UTF-8 as wide text (UTF-16 on Windows, UTF-32 elsewhere), the same whatever the locale: each
// byte that starts no well-formed sequence gives U+FFFD. For text shown, never for a path.
std::wstring WideFromUtf8(std::string_view text);
// Wide text as UTF-8; an unpaired surrogate gives U+FFFD. For text shown.
std::string Utf8FromWide(std::wstring_view text);

// The path as UTF-8 text for messages (on Linux its bytes as they are).
std::string DisplayPath(const std::filesystem::path& path);
// The path that UTF-8 text names: what DisplayPath gave back. On Linux, where names are bytes,
// the bytes as they are; on Windows text that is not UTF-8 is refused (a Failure naming it), never
// replaced, since a replacement would name another file.
std::filesystem::path PathFromUtf8(const std::string& text);

} // namespace zendra
