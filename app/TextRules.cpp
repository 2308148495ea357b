#include "TextRules.h"

#include <cwchar>

namespace zendra {

std::wstring TrimSpaces(const std::wstring& text) {
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    const std::size_t last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

std::optional<std::int32_t> ToLong(const std::wstring& text) {
    const std::wstring t = TrimSpaces(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) negative = t[i++] == L'-';
    constexpr std::int64_t kLimit = 2147483648LL; // one past the largest positive value
    std::int64_t whole = 0;
    bool digits = false;
    for (; i < t.size() && t[i] >= L'0' && t[i] <= L'9'; ++i) {
        digits = true;
        whole = whole * 10 + (t[i] - L'0');
        if (whole > kLimit) return std::nullopt;
    }
    int firstFraction = 0;  // the first digit after the point
    bool restNonZero = false; // any later digit above zero
    if (i < t.size() && t[i] == L'.') {
        ++i;
        for (bool first = true; i < t.size() && t[i] >= L'0' && t[i] <= L'9'; ++i, first = false) {
            digits = true;
            if (first) firstFraction = t[i] - L'0';
            else if (t[i] != L'0') restNonZero = true;
        }
    }
    if (!digits || i != t.size()) return std::nullopt;
    const bool up = firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 == 1));
    if (up) ++whole;
    const std::int64_t value = negative ? -whole : whole;
    if (value > 2147483647LL || value < -2147483648LL) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> PieceSizeFromText(const std::wstring& text) {
    const auto value = ToLong(text);
    if (!value || *value < 1) return std::nullopt;
    return value;
}

bool ReadsAsOne(const std::wstring& text) { return ToLong(text) == 1; }

bool IsSizeKey(wchar_t typed) noexcept {
    return (typed >= L'0' && typed <= L'9') || typed == L'.' || typed == 8 || typed == L'\r';
}

std::wstring ListHeader() { return L"Splitted Files" + std::wstring(41, L' ') + L"Size"; }

} // namespace zendra
