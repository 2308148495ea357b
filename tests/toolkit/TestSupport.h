// Helpers for tests with real windows: pumping messages, how long a window takes to answer, real
// mouse input through SendInput, and reading the pixels a window paints.
#pragma once

#include "DibSection.h"
#include "Form.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <thread>

namespace zendra::test {

// Dispatches messages for about `ms` milliseconds.
inline void Pump(int ms = 30) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    } while (std::chrono::steady_clock::now() < end);
}

// Pumps until `done` holds or `ms` pass; returns whether it holds.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 2000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        Pump(5);
    }
    return true;
}

// Milliseconds since `start`.
inline int Since(std::chrono::steady_clock::time_point start) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count());
}

// Runs `work` on this thread while another thread asks `window` for an answer (WM_NULL) every
// 5 ms; returns the slowest answer in milliseconds, 1000 for one that did not come within 100 ms.
// This thread answers the last question before it returns.
inline int SlowestReply(HWND window, const std::function<void()>& work) {
    std::atomic<bool> asking{true}, ended{false};
    std::atomic<int> slowest{0};
    std::thread prober([&] {
        for (DWORD_PTR result = 0; asking; Sleep(5)) {
            const auto at = std::chrono::steady_clock::now();
            const bool answered =
                SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result) != 0;
            slowest = std::max(slowest.load(), answered ? Since(at) : 1000);
        }
        ended = true;
    });
    work();
    asking = false;
    PumpUntil([&] { return ended.load(); });
    prober.join();
    return slowest;
}

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
