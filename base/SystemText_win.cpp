#include "base/SystemText.h"

#include "base/Utf8.h"

#include <windows.h>

namespace zendra {

std::string SystemText(unsigned long code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length ? std::wstring(text, length) : L"error " + std::to_wstring(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L'.' || message.back() == L' '))
        message.pop_back();
    return Utf8FromWide(message);
}

std::string SystemText(const std::error_code& error) {
    // The file system library's errors carry the system's own numbers.
    if (error.category() == std::system_category())
        return SystemText(static_cast<unsigned long>(error.value()));
    return error.message();
}

} // namespace zendra
