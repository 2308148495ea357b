// The text rules of the main window that need no window: number conversion of typed and stored
// values, the piece list's header, the size field's key filter and small path touches.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zendra {

// Leading and trailing spaces removed (tabs and other characters stay).
std::wstring TrimSpaces(const std::wstring& text);

// A decimal text as a signed 32-bit integer: optional spaces around it, an optional sign, digits
// with at most one decimal point; a fraction rounds to the nearest whole number, halves to the
// even neighbour (1.5 gives 2, 2.5 gives 2). Nothing when the text is no such number or the
// result does not fit.
std::optional<std::int32_t> ToLong(const std::wstring& text);

// The piece size typed into the size field: a whole number of bytes from 1 to 2,147,483,647
// after rounding, or nothing.
std::optional<std::int32_t> PieceSizeFromText(const std::wstring& text);

// Whether a stored option reads as the number 1 (only that counts as on), converted as the check
// boxes load it (ToLong), so that a box shows on exactly when its option acts on.
bool ReadsAsOne(const std::wstring& text);

// Whether the size field lets a typed character through: digits, ".", Backspace, and Enter
// (which splits).
bool IsSizeKey(wchar_t typed) noexcept;

// The header row: "Splitted Files", 41 spaces, "Size".
std::wstring ListHeader();

} // namespace zendra
