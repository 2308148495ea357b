// The callback of an own-window class: receives the chosen messages of its windows.
#pragma once

#include "CallbackLife.h"

#include <windows.h>

namespace zendra {

class iWindow : public CallbackLife {
  public:
    // Setting bHandled returns lReturn to the system instead of the default processing.
    virtual void WndProc(bool& bHandled, LRESULT& lReturn, HWND& hWnd, UINT& uMsg, WPARAM& wParam,
                         LPARAM& lParam) noexcept = 0;

  protected:
    ~iWindow() = default;
};

} // namespace zendra
