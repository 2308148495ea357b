// A hidden window with a plain window procedure that records the test messages it receives, as
// the "previous procedure" under a subclasser.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zendra::test {

// Messages from WM_APP to WM_APP + 255 are the tests' own: Msg(n) is WM_APP + n.
constexpr UINT Msg(UINT n) {
    return WM_APP + n;
}

class TargetWindow {
  public:
    TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;
    ~TargetWindow();

    HWND Get() const { return hWnd_; }
    // What the window procedure returns for a test message: 1000 * n + wParam.
    static LRESULT ResultFor(UINT uMsg, WPARAM wParam) {
        return static_cast<LRESULT>(1000 * (uMsg - WM_APP) + wParam);
    }
    static WNDPROC Procedure();

    // Entries such as "proc 3 w7" (message n 3, wParam 7); callbacks may add their own.
    std::vector<std::string> log;

  private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    HWND hWnd_ = nullptr;
};

std::string Entry(const char* who, UINT uMsg, WPARAM wParam);

} // namespace zendra::test
