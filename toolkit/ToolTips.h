// Tooltips for windowless elements: each element's rectangle on its window shows a text when the
// pointer rests on it. Refresh after moving or showing elements.
#pragma once

#include "Element.h"
#include "Handles.h"

#include <string>
#include <vector>

namespace zendra::tk {

class ToolTips {
public:
    ToolTips() noexcept = default;
    ToolTips(const ToolTips&) = delete;
    ToolTips& operator=(const ToolTips&) = delete;
    ~ToolTips() noexcept = default;

    // `window` is the window whose surface holds the element.
    void Add(HWND window, const Element& element, std::wstring text);
    // Puts every tool on its element's current place (an empty place while hidden).
    void Refresh() noexcept;
    HWND Hwnd() const noexcept { return tips_.Get(); }

private:
    struct Tool {
        HWND window;
        const Element* element;
        std::wstring text;
    };
    static RECT PlaceOf(const Element& element) noexcept;

    UniqueWindow tips_;
    std::vector<Tool> tools_;
};

} // namespace zendra::tk
