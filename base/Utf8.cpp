#include "base/Utf8.h"

#include "base/Failure.h"

namespace zendra {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The length of the well-formed UTF-8 sequence at `at`, its code point in `code`; 0 when none
// starts there.
std::size_t Decode(std::string_view text, std::size_t at, char32_t& code) {
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

void Append(std::wstring& wide, char32_t code) {
    if (sizeof(wchar_t) == 2 && code >= 0x10000) {
        wide.push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
        code = 0xDC00 + ((code - 0x10000) & 0x3FF);
    }
    wide.push_back(static_cast<wchar_t>(code));
}

void Append(std::string& text, char32_t code) {
    if (code < 0x80) {
        text.push_back(static_cast<char>(code));
        return;
    }
    const int extra = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    static constexpr unsigned char leads[] = {0, 0xC0, 0xE0, 0xF0};
    text.push_back(static_cast<char>(leads[extra] | (code >> (6 * extra))));
    for (int k = extra - 1; k >= 0; --k)
        text.push_back(static_cast<char>(0x80 | ((code >> (6 * k)) & 0x3F)));
}

} // namespace

bool IsValidUtf8(std::string_view text) {
    char32_t code = 0;
    for (std::size_t i = 0, length = 0; i < text.size(); i += length)
        if ((length = Decode(text, i, code)) == 0) return false;
    return true;
}

std::wstring WideFromUtf8(std::string_view text) {
    std::wstring wide;
    for (std::size_t i = 0; i < text.size();) {
        char32_t code = 0;
        const std::size_t length = Decode(text, i, code);
        i += length == 0 ? 1 : length;
        Append(wide, length == 0 ? kReplacement : code);
    }
    return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
    std::string text;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t code = static_cast<char32_t>(wide[i]);
        if (sizeof(wchar_t) == 2 && code >= 0xD800 && code <= 0xDFFF) {
            const bool paired = code < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
                                wide[i + 1] <= 0xDFFF;
            code = paired ? 0x10000 + ((code - 0xD800) << 10) + (wide[++i] - 0xDC00) : kReplacement;
        } else if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            code = kReplacement;
        }
        Append(text, code);
    }
    return text;
}

namespace {

// A path's own text as UTF-8: on Linux its bytes, on Windows its UTF-16.
template <typename Native> std::string NativeAsUtf8(const Native& native) {
    if constexpr (sizeof(typename Native::value_type) == 1)
        return native;
    else
        return Utf8FromWide(native);
}

// The path's own text for UTF-8: the bytes on Linux; on Windows refused unless well-formed.
template <typename Char> std::basic_string<Char> NativeFromUtf8(const std::string& text) {
    if constexpr (sizeof(Char) == 1) {
        return text;
    } else {
        if (!IsValidUtf8(text))
            throw Failure("\"" + Utf8FromWide(WideFromUtf8(text)) +
                          "\" is not a name this system can open: it is not valid UTF-8.");
        return WideFromUtf8(text);
    }
}

} // namespace

std::string DisplayPath(const std::filesystem::path& path) {
    return NativeAsUtf8(path.native());
}

std::filesystem::path PathFromUtf8(const std::string& text) {
    return NativeFromUtf8<std::filesystem::path::value_type>(text);
}

} // namespace zendra
