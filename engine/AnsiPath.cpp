#include "AnsiPath.h"

namespace zendra {
namespace {

// The length of the well-formed UTF-8 sequence at `at`, its code point in `code`; 0 when none
// starts there.
std::size_t Decode(const std::string& text, std::size_t at, char32_t& code) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || at + length > text.size()) return 0;
    code = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = code << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    static constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
    return length;
}

} // namespace

bool IsValidUtf8(const std::string& text) {
    char32_t code = 0;
    for (std::size_t i = 0, length = 0; i < text.size(); i += length)
        if ((length = Decode(text, i, code)) == 0) return false;
    return true;
}

std::wstring WideFromUtf8(const std::string& text) {
    std::wstring wide;
    for (std::size_t i = 0; i < text.size();) {
        char32_t code = 0;
        const std::size_t length = Decode(text, i, code);
        if (length == 0) code = 0xFFFD;
        i += length == 0 ? 1 : length;
        if (sizeof(wchar_t) == 2 && code >= 0x10000) {
            wide.push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
            code = 0xDC00 + ((code - 0x10000) & 0x3FF);
        }
        wide.push_back(static_cast<wchar_t>(code));
    }
    return wide;
}

} // namespace zendra
