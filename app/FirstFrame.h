// A window's first frame on the screen is the whole painted window. A compositor shows a window
// the moment it is shown, black where its controls have not yet painted (under Wine on an XP
// prefix with a compositor, most starts showed such frames, for up to 230 ms); so the window stays
// fully transparent from its load until it has been shown and painted, and its shadow waits for it.
#pragma once

#include "ucShadow.h"

#include <windows.h>

namespace zendra {

// Posted by FirstFrame::Hold; the window hands it to FirstFrame::Reveal.
inline constexpr UINT kRevealMessage = WM_APP + 0x2A1;

class FirstFrame {
  public:
    // At the load, once the window is layered (its title bar's key colour): makes it transparent,
    // holds its shadow back and posts kRevealMessage, which comes after the show's painting.
    // A window that is not layered is left as it is.
    void Hold(HWND window, ucShadow& shadow) noexcept;
    // Paints what is left, lets the painted bits reach the screen, then shows the window as it
    // was before Hold and its shadow. Once only.
    void Reveal() noexcept;

  private:
    HWND window_ = nullptr;
    ucShadow* shadow_ = nullptr;
    COLORREF key_ = 0;
    BYTE alpha_ = 255;
    DWORD flags_ = 0;
};

} // namespace zendra
