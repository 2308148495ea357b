// One row of the piece list: a label whose text may end in a size column. The size stands
// right-aligned at the row's right end, whole whatever its length; the name before it is cut
// short with an ellipsis only where it would run into the size.
#pragma once

#include "Label.h"

#include <string>

namespace zendra {

class iListRow : public tk::Label {
public:
    // Where in the caption the size begins; npos for a row of plain text.
    void SetSizeColumn(std::size_t start);

    void Paint(HDC dc, int originX, int originY) const override;

    // Pixels between the end of the size and the row's right end.
    static constexpr int kSizeMargin = 4;

private:
    std::size_t sizeColumn_ = std::wstring::npos;
};

} // namespace zendra
