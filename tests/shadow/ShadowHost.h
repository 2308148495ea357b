// A window carrying the shadow control as the program's windows do, on a system the test chooses.
#pragma once

#include "Form.h"
#include "ucShadow.h"

#include <windows.h>

#include <chrono>
#include <functional>

namespace zendra::test {

class FakeSystem : public ShadowSystem {
  public:
    SystemVersion version{kNtPlatform, 5, 1};
    int bits = 32;
    bool luna = false;
    bool realClock = false;
    std::uint32_t ticks = 100000;

    SystemVersion Version() const override { return version; }
    int ScreenBitsPerPixel() const override { return bits; }
    bool DetectLuna() const override { return luna; }
    std::uint32_t TickCount() const override { return realClock ? GetTickCount() : ticks; }
    bool DropShadowSetting() const override { return false; }
    bool MenuAnimationSetting() const override { return true; }
};

// The settings of the program's windows: soft, not hidden on moves, no fade, black, depth 10,
// transparency 128.
inline tk::PropertyBag ProgramSettings() {
    return {{"FadeIn", false}, {"Transparency", std::int64_t{128}}};
}

class ShadowHost : public tk::Form {
  public:
    static constexpr int kLeft = 100, kTop = 80, kWidth = 300, kHeight = 200; // pixels

    ShadowHost(const ShadowSystem& system, tk::PropertyBag bag = ProgramSettings())
        : Form(L"Shadow host", kWidth * 15, kHeight * 15), shadow(L"ucShadow1", true, system) {
        SetDesign({{L"ucShadow1", std::move(bag)}});
        Move(kLeft * 15, kTop * 15, kWidth * 15, kHeight * 15);
    }
    ~ShadowHost() noexcept override = default;

    ucShadow shadow;

  protected:
    void CreateControls() override { CreateControl(shadow, 0, 0, 480, 480); }
};

inline void Pump(int ms = 30) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    } while (std::chrono::steady_clock::now() < end);
}

inline RECT RectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

} // namespace zendra::test
