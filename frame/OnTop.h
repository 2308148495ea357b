// The module OnTop: puts a window into or out of the topmost band.
#pragma once

#include <windows.h>

namespace zendra {

// Makes `hWnd` topmost (OnTop true) or an ordinary window again, without moving, sizing or
// activating it; a hidden window is shown.
void SetOnTop(HWND hWnd, bool OnTop) noexcept;

} // namespace zendra
