// Base of every window the program creates. The window procedure is a static noexcept thunk that
// stores `this` at WM_NCCREATE and forwards to the virtual HandleMessage; no exception ever
// leaves it. The object owns its HWND and destroys it in its destructor.
#pragma once

#include "Handles.h"

#include <string>
#include <vector>

namespace zendra::tk {

class Timer;

// Writes a failure nobody can be shown any more (an exception that reached a window procedure)
// to the debugger's output, so that it is never lost without a trace.
void ReportLostFailure(const std::wstring& what) noexcept;
// The same for the exception being handled now (call inside a catch block).
void ReportCurrentException(const wchar_t* where) noexcept;

// The message a child window sends its top-level window for a dialog key it does not use itself
// (Tab, Enter, Esc): wParam the key, lParam the child; nonzero when the key was used.
inline constexpr UINT kDialogKeyMessage = WM_APP + 0x2A0;
// Passes a dialog key from `child` to its top-level window; whether it was used. The keyboard
// counts as used from then on (KeyboardCuesShown).
bool PassDialogKey(HWND child, WPARAM key) noexcept;
// Whether focused controls show their focus: once the keyboard has moved or pressed something,
// or always where the system is set to show keyboard cues. Windows hides them until then.
bool KeyboardCuesShown() noexcept;
void ShowKeyboardCues() noexcept;

class Window {
public:
    Window() noexcept = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window() noexcept;

    HWND Hwnd() const noexcept { return hwnd_.Get(); }

protected:
    // Registers the window class once per process; every class uses the thunk.
    static void RegisterClassOnce(const wchar_t* className, UINT style, HCURSOR cursor);
    // Creates the window (throws Failure on failure) and starts pending timers.
    void CreateHandle(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                      int x, int y, int width, int height, HWND parent);
    // Destroys the window now; the object stays usable without a handle.
    void DestroyHandle() noexcept;

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs after the window is gone (WM_NCDESTROY); the handle is already null.
    virtual void OnDestroyed() noexcept {}
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

private:
    friend class Timer;
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void DispatchTimer(WPARAM id);

    UniqueWindow hwnd_;
    std::vector<Timer*> timers_;
};

} // namespace zendra::tk
