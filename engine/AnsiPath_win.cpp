#include "AnsiPath.h"

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

std::filesystem::path FromIndexText(const std::string& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), size);
    return std::filesystem::path(wide);
}

} // namespace zendra
