// Hosts for title-bar tests: a form carrying a Leopard or a Tiger across its top, which records
// the system commands it receives (and by default does not run the system's move loop for them),
// and helpers to read the screen and to wait for the bar's looks.
#pragma once

#include "Leopard.h"
#include "TestSupport.h"
#include "Tiger.h"

#include <atomic>
#include <memory>
#include <vector>

namespace zendra::test {

class BarHost : public tk::Form {
public:
    // Geometry in pixels.
    BarHost(std::unique_ptr<TitleBar> bar, int x, int y, int width, int height,
            tk::FormDesign design = {})
        : Form(L"Bar host", tk::PixelsToTwips(width), tk::PixelsToTwips(height)),
          bar_(std::move(bar)) {
        SetBackColor(RGB(255, 255, 255));
        Move(tk::PixelsToTwips(x), tk::PixelsToTwips(y), Width(), Height());
        SetDesign(std::move(design));
    }

    TitleBar& Bar() noexcept { return *bar_; }

    std::vector<WPARAM> sysCommands;
    bool runMoveLoop = false;
    std::atomic<bool> moving{false}; // the system's move loop has started
    int unloads = 0;

protected:
    void CreateControls() override { CreateControl(*bar_, 0, 0, Width(), 0); }
    void OnUnload() override { ++unloads; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ENTERSIZEMOVE) moving = true;
        if (message == WM_SYSCOMMAND) {
            sysCommands.push_back(wParam);
            if (!runMoveLoop) return 0;
        }
        return Form::HandleMessage(message, wParam, lParam);
    }

private:
    std::unique_ptr<TitleBar> bar_;
};

inline std::unique_ptr<TitleBar> MakeLeopard() { return std::make_unique<Leopard>(); }
inline std::unique_ptr<TitleBar> MakeTiger() { return std::make_unique<Tiger>(); }

// A plain window filled with one colour (something to lie behind or over a bar).
class SolidWindow : public tk::Form {
public:
    SolidWindow(COLORREF colour, int x, int y, int width, int height)
        : Form(L"Solid", tk::PixelsToTwips(width), tk::PixelsToTwips(height)) {
        SetBackColor(colour);
        Move(tk::PixelsToTwips(x), tk::PixelsToTwips(y), Width(), Height());
    }
};

// The colour the screen shows at a point.
inline COLORREF ScreenPixel(int x, int y) {
    tk::WindowDc screen(nullptr);
    return GetPixel(screen.Get(), x, y) & 0x00FFFFFF;
}

inline POINT ScreenPoint(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    return p;
}

inline bool Shows(const tk::Image& image, const tk::Picture& picture) {
    return image.GetPicture().SameAs(picture);
}

} // namespace zendra::test
