#include "Label.h"

#include "Handles.h"

namespace zendra::tk {

namespace {
constexpr UINT kTextFlags = DT_NOPREFIX | DT_EXPANDTABS;
}

Label::Label() : font_(DefaultFont()) {}

void Label::SetCaption(std::wstring caption) {
    caption_ = std::move(caption);
    if (autoSize_) FitToText();
    Invalidate();
}

void Label::SetFont(const FontDesc& font) {
    font_ = font;
    if (autoSize_) FitToText();
    Invalidate();
}

void Label::SetForeColor(OleColor color) {
    foreColor_ = color;
    Invalidate();
}

void Label::SetBackColor(OleColor color) {
    backColor_ = color;
    Invalidate();
}

void Label::SetOpaque(bool opaque) {
    opaque_ = opaque;
    Invalidate();
}

void Label::SetAlignment(Alignment alignment) {
    alignment_ = alignment;
    Invalidate();
}

void Label::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize_) FitToText();
}

void Label::FitToText() {
    WindowDc screen(nullptr);
    SelectScope font(screen.Get(), FontHandle(font_));
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.Get(), &metrics);
    int width = 0;
    int height = metrics.tmHeight;
    if (!caption_.empty()) {
        RECT r{0, 0, 0, 0};
        DrawTextW(screen.Get(), caption_.c_str(), static_cast<int>(caption_.size()), &r,
                  kTextFlags | DT_CALCRECT);
        width = r.right - r.left;
        height = r.bottom - r.top;
    }
    Move(Left(), Top(), PixelsToTwips(width), PixelsToTwips(height));
}

void Label::Paint(HDC dc, int originX, int originY) const {
    RECT r = PixelRect(originX, originY);
    if (opaque_) {
        UniqueBrush brush(CreateSolidBrush(ResolveColor(backColor_)));
        FillRect(dc, &r, brush.Get());
    }
    if (caption_.empty()) return;
    SelectScope font(dc, FontHandle(font_));
    const TextLookScope look(dc, ResolveColor(foreColor_));
    UINT flags = kTextFlags;
    if (alignment_ == Alignment::Center) flags |= DT_CENTER;
    if (alignment_ == Alignment::Right) flags |= DT_RIGHT;
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r, flags);
}

} // namespace zendra::tk
