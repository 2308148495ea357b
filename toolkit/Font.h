// Fonts as the stored designs describe them, and the GDI fonts made from them (kept for the
// program's life: a handful of faces and sizes).
#pragma once

#include <windows.h>

#include <string>

namespace zendra::tk {

struct FontDesc {
    std::wstring face = L"MS Sans Serif";
    double points = 8.25;
    int weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    int charset = DEFAULT_CHARSET;
    // Lets the font mapper find a like font when the face is missing (e.g. FIXED_PITCH | FF_MODERN).
    int pitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;

    bool operator==(const FontDesc&) const = default;
    auto operator<=>(const FontDesc&) const = default;
};

// The font a host gives its controls when the design names none.
FontDesc DefaultFont();

// The GDI font for a description, at 96 dpi logical pixels; never null (falls back to the
// system's GUI font).
HFONT FontHandle(const FontDesc& desc) noexcept;

} // namespace zendra::tk
