// A text element: font, colours, alignment, transparent or opaque background, and optionally
// sized to its text. Ampersands are shown as they are.
#pragma once

#include "Element.h"
#include "Font.h"

#include <string>

namespace zendra::tk {

enum class Alignment { Left, Right, Center };

class Label : public Element {
public:
    Label();

    const std::wstring& Caption() const noexcept { return caption_; }
    void SetCaption(std::wstring caption);
    const FontDesc& Font() const noexcept { return font_; }
    void SetFont(const FontDesc& font);
    OleColor ForeColor() const noexcept { return foreColor_; }
    void SetForeColor(OleColor color);
    OleColor BackColor() const noexcept { return backColor_; }
    void SetBackColor(OleColor color);
    bool Opaque() const noexcept { return opaque_; }
    void SetOpaque(bool opaque);
    Alignment GetAlignment() const noexcept { return alignment_; }
    void SetAlignment(Alignment alignment);
    // While set, every change of caption or font resizes the label to its text.
    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool autoSize);

    void Paint(HDC dc, int originX, int originY) const override;

private:
    void FitToText();

    std::wstring caption_;
    FontDesc font_;
    OleColor foreColor_ = SystemColor(COLOR_BTNTEXT);
    OleColor backColor_ = SystemColor(COLOR_BTNFACE);
    bool opaque_ = false;
    Alignment alignment_ = Alignment::Left;
    bool autoSize_ = false;
};

} // namespace zendra::tk
