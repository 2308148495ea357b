// The user's interface language and the faces it brings: the program's few Chinese texts show
// on a Chinese interface, English ones elsewhere; the SimSun face of the skinned controls gives
// way to the system's message font where it is not installed.
#pragma once

#include "Font.h"

#include <windows.h>

namespace zendra::tk {

// Whether the user's interface language (GetUserDefaultUILanguage) is Chinese, in any variant.
bool ChineseInterface() noexcept;
// For tests: the interface language to act on instead of the user's (0: the user's again).
void OverrideInterfaceLanguage(LANGID language) noexcept;

// The text for the user's interface: `chinese` on a Chinese one, `english` elsewhere.
const wchar_t* Localized(const wchar_t* chinese, const wchar_t* english) noexcept;

// Whether a font family of that name is installed (EnumFontFamiliesEx).
bool FontInstalled(const wchar_t* face) noexcept;
// `simsun` where SimSun is installed; elsewhere the system's message font (face, size and
// character set) with `simsun`'s weight and style.
FontDesc SimSunOrMessageFont(FontDesc simsun);

} // namespace zendra::tk
