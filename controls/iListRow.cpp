#include "iListRow.h"

#include "Handles.h"

namespace zendra {

void iListRow::SetSizeColumn(std::size_t start) {
    sizeColumn_ = start;
    Invalidate();
}

void iListRow::Paint(HDC dc, int originX, int originY) const {
    const std::wstring& text = Caption();
    if (sizeColumn_ >= text.size()) {
        Label::Paint(dc, originX, originY);
        return;
    }
    const RECT r = PixelRect(originX, originY);
    if (Opaque()) {
        tk::UniqueBrush brush(CreateSolidBrush(tk::ResolveColor(BackColor())));
        FillRect(dc, &r, brush.Get());
    }
    tk::SelectScope font(dc, tk::FontHandle(Font()));
    const tk::TextLookScope look(dc, tk::ResolveColor(ForeColor()));
    constexpr UINT kFlags = DT_NOPREFIX | DT_SINGLELINE;

    const std::wstring size = text.substr(sizeColumn_);
    RECT sizeRect{r.left, r.top, r.right - kSizeMargin, r.bottom};
    DrawTextW(dc, size.c_str(), static_cast<int>(size.size()), &sizeRect, kFlags | DT_RIGHT);

    // The name ends one character before the size begins.
    SIZE sizeExtent{};
    GetTextExtentPoint32W(dc, size.c_str(), static_cast<int>(size.size()), &sizeExtent);
    SIZE space{};
    GetTextExtentPoint32W(dc, L" ", 1, &space);
    std::wstring name = text.substr(0, sizeColumn_);
    name.erase(name.find_last_not_of(L' ') + 1);
    RECT nameRect{r.left, r.top, sizeRect.right - sizeExtent.cx - space.cx, r.bottom};
    if (nameRect.right > nameRect.left)
        DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &nameRect,
                  kFlags | DT_END_ELLIPSIS);
}

} // namespace zendra
