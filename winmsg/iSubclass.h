// The callback of a subclasser: called before and after the window's previous procedure.
#pragma once

#include "CallbackLife.h"

#include <windows.h>

namespace zendra {

class iSubclass : public CallbackLife {
  public:
    // Called after the previous procedure; lReturn holds its result and may be replaced.
    virtual void After(LRESULT& lReturn, HWND hWnd, UINT uMsg, WPARAM wParam,
                       LPARAM lParam) noexcept = 0;
    // Called before the previous procedure. Setting bHandled ends the message with lReturn;
    // changed hWnd, uMsg, wParam or lParam are what the previous procedure and After receive.
    virtual void Before(bool& bHandled, LRESULT& lReturn, HWND& hWnd, UINT& uMsg, WPARAM& wParam,
                        LPARAM& lParam) noexcept = 0;

  protected:
    ~iSubclass() = default;
};

} // namespace zendra
