#include "Language.h"

#include <cwchar>

namespace zendra::tk {

namespace {

LANGID overridden = 0;

int CALLBACK FoundFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0; // one is enough
}

} // namespace

bool ChineseInterface() noexcept {
    const LANGID language = overridden != 0 ? overridden : GetUserDefaultUILanguage();
    return PRIMARYLANGID(language) == LANG_CHINESE;
}

void OverrideInterfaceLanguage(LANGID language) noexcept {
    overridden = language;
}

const wchar_t* Localized(const wchar_t* chinese, const wchar_t* english) noexcept {
    return ChineseInterface() ? chinese : english;
}

bool FontInstalled(const wchar_t* face) noexcept {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    const HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, &FoundFamily, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

FontDesc SimSunOrMessageFont(FontDesc simsun) {
    // The face answers to its English and its Chinese name.
    if (FontInstalled(L"SimSun") || FontInstalled(L"\u5b8b\u4f53")) return simsun;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics); // without Vista's last member: what XP takes
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return simsun;
    const LOGFONTW& message = metrics.lfMessageFont;
    simsun.face = message.lfFaceName;
    // The program draws at 96 dots an inch (it is not DPI-aware: the system scales it).
    if (message.lfHeight != 0)
        simsun.points = (message.lfHeight < 0 ? -message.lfHeight : message.lfHeight) * 72.0 / 96;
    simsun.charset = message.lfCharSet;
    return simsun;
}

} // namespace zendra::tk
