#include "Font.h"

#include "Handles.h"
#include "Window.h"

#include <cmath>
#include <map>

namespace zendra::tk {

FontDesc DefaultFont() { return FontDesc{}; }

HFONT FontHandle(const FontDesc& desc) noexcept {
    try {
        static std::map<FontDesc, UniqueFont> fonts;
        auto found = fonts.find(desc);
        if (found != fonts.end()) return found->second.Get();
        const int height = -static_cast<int>(std::lround(desc.points * 96.0 / 72.0));
        UniqueFont font(CreateFontW(height, 0, 0, 0, desc.weight, desc.italic, desc.underline,
                                    desc.strikeout, static_cast<DWORD>(desc.charset),
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    static_cast<DWORD>(desc.pitchAndFamily), desc.face.c_str()));
        if (!font) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        HFONT handle = font.Get();
        fonts.emplace(desc, std::move(font));
        return handle;
    } catch (...) {
        // The cache could not grow (no memory): the stock font stands in and the text still shows.
        ReportCurrentException(L"a font could not be kept");
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
}

} // namespace zendra::tk
