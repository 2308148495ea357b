#include "io/AnsiPath.h"

#include <windows.h>

namespace zendra {

std::optional<std::string> ToIndexText(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty()) return std::string();
    const int length = static_cast<int>(wide.size());
    // The UTF-8 code page carries every character; only the others can lose some.
    const bool exact = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    const DWORD flags = exact ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr,
                                         exact ? nullptr : &usedDefault);
    if (size <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), length, out.data(), size, nullptr, nullptr);
    return out;
}

std::optional<std::filesystem::path> FromIndexText(const std::string& text, unsigned codePage) {
    if (text.empty()) return std::filesystem::path();
    const bool writtenOnLinux =
        text.find('/') != std::string::npos && text.find('\\') == std::string::npos;
    if (codePage == 0) codePage = writtenOnLinux && IsValidUtf8(text) ? CP_UTF8 : CP_ACP;
    const int length = static_cast<int>(text.size());
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int size = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (size <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), size);
    return std::filesystem::path(wide);
}

} // namespace zendra
