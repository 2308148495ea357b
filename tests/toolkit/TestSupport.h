// Helpers for tests with real windows: pumping messages, a clock for the timers, running code on
// the windows' thread from another one, real mouse input through SendInput, and reading the
// pixels a window paints.
#pragma once

#include "DibSection.h"
#include "Form.h"
#include "Timer.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <thread>
#include <vector>

namespace zendra::test {

// Dispatches every message waiting now.
inline void Drain() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Dispatches messages for about `ms` milliseconds.
inline void Pump(int ms = 30) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        Drain();
        Sleep(1);
    } while (std::chrono::steady_clock::now() < end);
}

// Pumps until `done` holds or `ms` pass (by default 10 s, only a hang); returns whether it holds.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        Pump(5);
    }
    return true;
}

// Waits on a thread that has no windows until `done` holds; false after 10 s (only a hang).
inline bool WaitUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        Sleep(1);
    }
    return true;
}

// Stands in for the system's timers once used: a timer falls due only when the test moves this
// clock on. Used on the thread of the timers' windows; it must outlive the timers it started.
class TestClock final : public tk::TimerClock {
  public:
    TestClock() = default;
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;
    ~TestClock() { tk::Timer::UseClock(nullptr); }

    void Use() { tk::Timer::UseClock(this); }
    bool Set(HWND window, UINT_PTR id, unsigned intervalMs) override {
        Kill(window, id);
        timers_.push_back({window, id, intervalMs, now_ + intervalMs});
        return true;
    }
    void Kill(HWND window, UINT_PTR id) override {
        std::erase_if(timers_, [&](const Due& t) { return t.window == window && t.id == id; });
    }
    // Moves the time on by `ms`: each timer that falls due meanwhile ticks, in turn, before this
    // returns.
    void Advance(unsigned ms) {
        const unsigned long long end = now_ + ms;
        for (;;) {
            const auto next =
                std::min_element(timers_.begin(), timers_.end(),
                                 [](const Due& a, const Due& b) { return a.due < b.due; });
            if (next == timers_.end() || next->due > end) break;
            now_ = next->due;
            next->due += next->interval;
            // Posted and taken from the queue as the system's are, so that it carries the
            // pointer's position; its handler may set or kill timers.
            const HWND window = next->window;
            const UINT_PTR id = next->id;
            PostMessageW(window, WM_TIMER, id, 0);
            MSG msg;
            while (PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
                DispatchMessageW(&msg);
                if (msg.wParam == id) break;
            }
        }
        now_ = end;
    }
    // The same a millisecond at a time, each step's messages dispatched before the next.
    void Run(unsigned ms) {
        for (unsigned i = 0; i < ms; ++i) {
            Advance(1);
            Drain();
        }
    }

  private:
    struct Due {
        HWND window;
        UINT_PTR id;
        unsigned interval;
        unsigned long long due;
    };
    std::vector<Due> timers_;
    unsigned long long now_ = 0;
};

// Runs code on the thread that made it, asked from another thread: a message sent to a window of
// its own, handled wherever that thread handles its messages (also inside a modal loop).
class OnWindowThread {
  public:
    OnWindowThread() {
        WNDCLASSW kind{};
        kind.lpfnWndProc = &Proc;
        kind.hInstance = GetModuleHandleW(nullptr);
        kind.lpszClassName = L"ZendraTestCaller";
        RegisterClassW(&kind); // fails harmlessly once registered
        window_ = CreateWindowExW(0, kind.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  kind.hInstance, nullptr);
    }
    OnWindowThread(const OnWindowThread&) = delete;
    OnWindowThread& operator=(const OnWindowThread&) = delete;
    ~OnWindowThread() { DestroyWindow(window_); }

    // Whether `what` ran within 10 s.
    bool Run(const std::function<void()>& what) const {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(window_, WM_APP, 0, reinterpret_cast<LPARAM>(&what), SMTO_NORMAL,
                                   10000, &result) != 0;
    }

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    HWND window_ = nullptr;
};

// A plain form for hosting controls, with a known background colour.
class HostForm : public tk::Form {
public:
    explicit HostForm(int width = 6000, int height = 4500, tk::OleColor back = RGB(200, 30, 30))
        : Form(L"Test host", width, height) {
        SetBackColor(back);
        Move(1500, 1500, width, height);
    }
};

// Real input: moves the pointer to a client point of `window` and presses / releases buttons.
inline void MoveTo(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    SetCursorPos(p.x, p.y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (p.x * 65535) / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = (p.y * 65535) / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
    Pump(20);
}

inline void Button(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
    Pump(20);
}

inline void LeftDown() { Button(MOUSEEVENTF_LEFTDOWN); }
inline void LeftUp() { Button(MOUSEEVENTF_LEFTUP); }
inline void RightDown() { Button(MOUSEEVENTF_RIGHTDOWN); }
inline void RightUp() { Button(MOUSEEVENTF_RIGHTUP); }

inline void ClickAt(HWND window, int x, int y) {
    MoveTo(window, x, y);
    LeftDown();
    LeftUp();
}

// Another window takes the mouse and lets it go again, as a window popping up (or Alt+Tab) does
// between a press and its release. The real button stays down.
inline void TakeCaptureAway() {
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
    SetCapture(other);
    Pump(20);
    ReleaseCapture();
    DestroyWindow(other);
    Pump(20);
}

// What the window paints (with its transparent parts filled from its parent).
inline tk::DibSection Snapshot(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    tk::DibSection dib(r.right, r.bottom);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.Dc()), PRF_CLIENT);
    return dib;
}

// Real keys: each of `keys` pressed in order, then released in the opposite order (a chord such
// as Ctrl+Shift+Tab); the input goes to the window with the focus.
inline void PressKeys(std::initializer_list<WORD> keys) {
    for (WORD key : keys)
        keybd_event(static_cast<BYTE>(key), 0, 0, 0);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        keybd_event(static_cast<BYTE>(*key), 0, KEYEVENTF_KEYUP, 0);
}

} // namespace zendra::test
