// Shows the drop shadow as the program's windows carry it, for screenshots and measurements.
//   shadow_demo look SECONDS     a main-sized and an About-sized window with their shadows
//   shadow_demo fade FLAGFILE    a window fading out over 3 s; FLAGFILE appears when it starts
//   shadow_demo measure          what following the owner's moves costs, printed
//   shadow_demo keyed SECONDS    plain and key-coloured windows side by side (the program's
//                                title bars key their windows on magenta)
// The shadow shows only where the system reports Windows XP (run it in such a Wine prefix).
#include "Form.h"
#include "Label.h"
#include "RealShadowSystem.h"
#include "Shape.h"
#include "cSubclass.h"
#include "ucShadow.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using namespace zendra;

// A light, plain desktop behind the demo windows.
class Desktop : public tk::Form {
  public:
    Desktop() : Form(L"desktop", ScreenWidth(), ScreenHeight()) {
        SetBackColor(RGB(232, 234, 240));
        Move(0, 0, ScreenWidth(), ScreenHeight());
    }
};

class DemoWindow : public tk::Form {
  public:
    DemoWindow(const wchar_t* caption, int left, int top, int width, int height,
               const ShadowSystem& system = RealShadowSystem(), bool keyed = false)
        : Form(caption, width * 15, height * 15), shadow(L"ucShadow1", true, system),
          keyed_(keyed) {
        SetDesign({{L"ucShadow1", {}}});
        SetBackColor(RGB(250, 250, 250));
        Move(left * 15, top * 15, width * 15, height * 15);
        text_.SetCaption(caption);
        text_.Move(300, 300, width * 15 - 600, 600);
        border_.SetBorderColor(RGB(190, 190, 190));
        border_.Move(0, 0, width * 15, height * 15);
        Elements().AddFront(text_);
        Elements().AddFront(border_);
    }

    ucShadow shadow;

  protected:
    void CreateControls() override { CreateControl(shadow, 0, 0, 480, 480); }
    // The load settings of the program's windows.
    void OnLoad() override {
        shadow.SetSoftShadow(true);
        shadow.SetHideMove(false);
        shadow.SetHideSize(false);
        shadow.SetVisible(true);
        shadow.SetFadeIn(false);
        shadow.SetColor(0);
        shadow.SetDepth(10);
        shadow.SetTransparency(128);
        if (!keyed_) return;
        // As the title bars do it: layered, keyed on magenta.
        SetWindowLongW(Hwnd(), GWL_EXSTYLE, GetWindowLongW(Hwnd(), GWL_EXSTYLE) | WS_EX_LAYERED);
        SetLayeredWindowAttributes(Hwnd(), RGB(255, 0, 255), 0, LWA_COLORKEY);
    }

  private:
    bool keyed_;
    tk::Label text_;
    tk::Shape border_;
};

void PumpFor(int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    MSG msg;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

int Look(int seconds) {
    Desktop desktop;
    desktop.Show();
    DemoWindow main(L"Zendra", 120, 100, 444, 319);
    DemoWindow about(L"About Zendra", 680, 420, 232, 193);
    main.Show();
    about.Show();
    std::printf("layered %d, xp %d, luna %d\n", main.shadow.IsLayered(), main.shadow.IsXP(),
                main.shadow.IsLuna());
    std::fflush(stdout);
    PumpFor(seconds * 1000);
    return 0;
}

// Under Wine a key-coloured window's X shape covers its window surface, whose size is rounded up
// to 32 pixels; xcompmgr leaves that margin unpainted, and the shadow blends over what was there.
// The 448 x 320 window has no margin.
int Keyed(int seconds) {
    Desktop desktop;
    desktop.Show();
    const ShadowSystem& system = RealShadowSystem();
    DemoWindow plain(L"plain 444 x 319", 60, 60, 444, 319, system);
    DemoWindow keyed(L"keyed 444 x 319", 600, 60, 444, 319, system, true);
    DemoWindow aligned(L"keyed 448 x 320", 60, 480, 448, 320, system, true);
    DemoWindow about(L"keyed 232 x 193", 600, 480, 232, 193, system, true);
    for (DemoWindow* window : {&plain, &keyed, &aligned, &about})
        window->Show();
    PumpFor(seconds * 1000);
    return 0;
}

int Fade(const char* flag) {
    Desktop desktop;
    desktop.Show();
    DemoWindow main(L"Zendra, fading out", 300, 200, 444, 319);
    main.Show();
    PumpFor(1500);
    std::ofstream(flag) << "fading\n";
    bool done = false;
    main.shadow.FadedOut.Handle([&] { done = true; });
    main.shadow.FadeOut(3000, false);
    const DWORD end = GetTickCount() + 6000;
    while (!done && static_cast<int>(end - GetTickCount()) > 0)
        PumpFor(20);
    PumpFor(500);
    return done ? 0 : 1;
}

// Times the owner's WM_WINDOWPOSCHANGED from the outermost subclasser: the shadow's work plus the
// window's own handling.
class PositionTimer : public iSubclass {
  public:
    void Before(bool&, LRESULT&, HWND&, UINT& uMsg, WPARAM&, LPARAM&) noexcept override {
        if (uMsg == WM_WINDOWPOSCHANGED) QueryPerformanceCounter(&start_);
    }
    void After(LRESULT&, HWND, UINT uMsg, WPARAM, LPARAM) noexcept override {
        if (uMsg != WM_WINDOWPOSCHANGED) return;
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        ticks += now.QuadPart - start_.QuadPart;
    }
    long long ticks = 0;

  private:
    LARGE_INTEGER start_{};
};

struct Moves {
    double handlerMicros; // WM_WINDOWPOSCHANGED, per move
    double moveMicros;    // the whole SetWindowPos, per move
    int renders;
};

Moves MeasureMoves(const ShadowSystem& system, bool resize) {
    DemoWindow window(L"measured", 100, 100, 444, 319, system);
    window.Show();
    PumpFor(200);
    PositionTimer timer;
    cSubclass watch;
    watch.Subclass(window.Hwnd(), timer);
    watch.AddMsg(WM_WINDOWPOSCHANGED, cSubclass::kBefore);
    watch.AddMsg(WM_WINDOWPOSCHANGED, cSubclass::kAfter);
    const int rendersBefore =
        window.shadow.Renders(Strip::Right) + window.shadow.Renders(Strip::Bottom);
    constexpr int kMoves = 400;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kMoves; ++i) {
        const int x = 100 + (i % 200), y = 100 + (i % 150);
        if (resize)
            SetWindowPos(window.Hwnd(), nullptr, x, y, 444 + (i % 2), 319,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        else
            SetWindowPos(window.Hwnd(), nullptr, x, y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    QueryPerformanceCounter(&end);
    const double toMicros = 1e6 / static_cast<double>(frequency.QuadPart);
    return {static_cast<double>(timer.ticks) * toMicros / kMoves,
            static_cast<double>(end.QuadPart - start.QuadPart) * toMicros / kMoves,
            window.shadow.Renders(Strip::Right) + window.shadow.Renders(Strip::Bottom) -
                rendersBefore};
}

// A system where the control stays inert: the same window without a shadow.
class NoShadowSystem : public ShadowSystem {
  public:
    SystemVersion Version() const override { return {kNtPlatform, 6, 1}; }
    int ScreenBitsPerPixel() const override { return 32; }
    bool DetectLuna() const override { return false; }
    std::uint32_t TickCount() const override { return GetTickCount(); }
    bool DropShadowSetting() const override { return true; }
    bool MenuAnimationSetting() const override { return true; }
};

int Measure() {
    const NoShadowSystem none;
    const Moves plain = MeasureMoves(none, false);
    const Moves shadowed = MeasureMoves(RealShadowSystem(), false);
    const Moves resized = MeasureMoves(RealShadowSystem(), true);
    std::printf("shadow active: %d\n", RealShadowSystem().Version().major == 5);
    std::printf("pure moves, no shadow: WM_WINDOWPOSCHANGED %.0f us, whole move %.0f us\n",
                plain.handlerMicros, plain.moveMicros);
    std::printf("pure moves, shadow:    WM_WINDOWPOSCHANGED %.0f us, whole move %.0f us, "
                "renders %d in 400 moves\n",
                shadowed.handlerMicros, shadowed.moveMicros, shadowed.renders);
    std::printf("width changes, shadow: WM_WINDOWPOSCHANGED %.0f us, whole move %.0f us, "
                "renders %d in 400 moves\n",
                resized.handlerMicros, resized.moveMicros, resized.renders);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    tk::Form::SetOnLastUnloaded([] {});
    const std::string mode = argc > 1 ? argv[1] : "look";
    if (mode == "fade" && argc > 2) return Fade(argv[2]);
    if (mode == "measure") return Measure();
    if (mode == "keyed") return Keyed(argc > 2 ? std::atoi(argv[2]) : 5);
    return Look(argc > 2 ? std::atoi(argv[2]) : 5);
}
