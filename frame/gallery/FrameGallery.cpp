#include "FrameGallery.h"

namespace zendra {

namespace {

constexpr int Px(int pixels) { return tk::PixelsToTwips(pixels); }

// Real pointer movement, so that the button group sees the pointer and its tooltip comes up.
void PointAt(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    SetCursorPos(p.x, p.y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (p.x * 65535) / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = (p.y * 65535) / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
}

} // namespace

Backdrop::Backdrop(int width, int height) : Form(L"Frame gallery", Px(width), Px(height)) {
    Move(0, 0, Px(width), Px(height));
}

void Backdrop::PaintStripes(HDC dc, const RECT& area) noexcept {
    tk::UniqueBrush back(CreateSolidBrush(RGB(40, 110, 200)));
    FillRect(dc, &area, back.Get());
    tk::UniqueBrush stripe(CreateSolidBrush(RGB(250, 200, 40)));
    for (int x = -area.bottom; x < area.right; x += 24) {
        const POINT band[4] = {{x, area.bottom}, {x + 10, area.bottom},
                               {x + 10 + area.bottom, 0}, {x + area.bottom, 0}};
        tk::UniqueRegion region(CreatePolygonRgn(band, 4, WINDING));
        FillRgn(dc, region.Get(), stripe.Get());
    }
}

LRESULT Backdrop::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        tk::BufferedPaint paint(Hwnd());
        PaintStripes(paint.Dc(), RECT{0, 0, paint.Width(), paint.Height()});
        return 0;
    }
    return Form::HandleMessage(message, wParam, lParam);
}

FrameWindow::FrameWindow(std::unique_ptr<TitleBar> bar, std::wstring caption, int width, int height)
    : Form(caption, Px(width), Px(height)), bar_(std::move(bar)) {
    SetBackColor(RGB(255, 255, 255));
    SetDesign({{bar_->Name(), tk::PropertyBag{{"Caption", caption}}}});
}

void FrameWindow::CreateControls() {
    CreateControl(*bar_, 0, 0, Width(), bar_->Height());
}

FrameGallery::FrameGallery() : backdrop_(760, 560) {
    auto add = [this](std::unique_ptr<TitleBar> bar, std::wstring caption, int x, int y, int w, int h) {
        auto window = std::make_unique<FrameWindow>(std::move(bar), std::move(caption), w, h);
        window->Move(Px(x), Px(y), Px(w), Px(h));
        windows_.push_back(std::move(window));
    };
    // Like the main window: the zoom button off.
    add(std::make_unique<Leopard>(), L"Zendra", 24, 24, 340, 170);
    add(std::make_unique<Leopard>(), L"Panther", 396, 24, 340, 170);
    // Like the About window: minimise and zoom off.
    add(std::make_unique<Tiger>(), L"About Zendra", 24, 300, 300, 150);
    add(std::make_unique<Tiger>(), L"Tiger", 396, 300, 300, 150);
}

void FrameGallery::Show() {
    backdrop_.Show();
    for (auto& window : windows_) {
        window->Show();
        window->Bar().SetWidth(window->Width());
    }
    windows_[0]->Bar().SetZoomEnabled(false);
    windows_[2]->Bar().SetMinEnabled(false);
    windows_[2]->Bar().SetZoomEnabled(false);
}

void FrameGallery::Pose(int pose) {
    FrameWindow& window = *windows_[static_cast<std::size_t>(pose) % windows_.size()];
    SetForegroundWindow(window.Hwnd());
    SetActiveWindow(window.Hwnd());
    // Pointer on: the close button, the zoom button, nothing (active look), the minimise button.
    static const POINT kPointer[] = {{15, 11}, {57, 11}, {200, 80}, {36, 11}};
    const POINT at = kPointer[pose % 4];
    PointAt(window.Hwnd(), at.x, at.y);
}

} // namespace zendra
