#include "base/SystemPath.h"

#include <windows.h>

namespace zendra {

std::filesystem::path::string_type SystemName(const std::filesystem::path& path) {
    const std::wstring& text = path.native();
    if (text.size() < MAX_PATH - 14 || text.rfind(L"\\\\?\\", 0) == 0) return text;
    std::wstring full(32768, L'\0');
    const DWORD length =
        GetFullPathNameW(text.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) return text;
    full.resize(length);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

} // namespace zendra
