// The control's fades: a snapshot of the screen over the owner's area in a topmost layered window
// whose constant alpha falls every 20 ms until it is gone.
#include "ucShadow.h"

#include <algorithm>

namespace zendra {
namespace {

constexpr DWORD kFadeExStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
static_assert(kFadeExStyle == 0x00080088);

} // namespace

void ucShadow::FadeOut(std::int32_t nTimeMS, bool Block) {
    if (!isLayered_) return;
    blocking_ = Block;
    fadeDuration_ = nTimeMS;
    fadingIn_ = false;
    StartFade();
    ShowWindow(owner_, SW_HIDE);
    // The events of the program go on while the fade runs; one of them may even end this control.
    const std::weak_ptr<const void> life = iWindow::Watch();
    MSG msg;
    while (!life.expired() && blocking_ && fadeWindow_ && IsWindow(fadeWindow_)) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            WaitMessage();
            continue;
        }
        if (msg.message == WM_QUIT) {
            // The program is ending: leave the quit request to the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (!life.expired()) blocking_ = false;
}

void ucShadow::StartFade() {
    // The previous fade ends first: its class carries the same name.
    fade_.reset();
    fadeWindow_ = nullptr;
    fadeSnapshot_ = tk::DibSection();
    fade_ = std::make_unique<cWindow>();
    fade_->Owner(*this);
    fade_->WindowClassRegister(OwnClassName(L"FadeCls", owner_), 0x00FFFFFF, 0, nullptr, nullptr,
                               nullptr, 0, 0);
    fade_->AddMsg(WM_CREATE);
    fade_->AddMsg(WM_TIMER);
    // CaptureFade runs on the window's WM_CREATE, before this returns.
    fade_->WindowCreate(kFadeExStyle, WS_POPUP, 0, 0, 0, 0, 0, L"", nullptr, nullptr, nullptr);
}

void ucShadow::WndProc(bool&, LRESULT&, HWND& hWnd, UINT& uMsg, WPARAM& wParam, LPARAM&) noexcept {
    try {
        if (uMsg == WM_CREATE)
            CaptureFade(hWnd);
        else if (uMsg == WM_TIMER)
            FadeStep(hWnd, wParam);
    } catch (...) {
        // An event handler failed; the fade has ended all the same.
        tk::ReportCurrentException(L"a fade step");
    }
}

void ucShadow::CaptureFade(HWND fadeWindow) noexcept {
    fadeWindow_ = fadeWindow;
    RECT rect{};
    GetWindowRect(owner_, &rect);
    SIZE size{rect.right - rect.left, rect.bottom - rect.top};
    if (visible_) {
        size.cx += depth_;
        size.cy += depth_;
    }
    fadeBlend_ = {AC_SRC_OVER, 0, 255, 0};
    POINT at{rect.left, rect.top};
    POINT origin{0, 0};
    // A window given only a new alpha keeps its picture on Windows, but not under every
    // implementation of layered windows; so the snapshot is kept and given with every step.
    try {
        fadeSnapshot_ = tk::DibSection(std::max<LONG>(size.cx, 1), std::max<LONG>(size.cy, 1));
    } catch (...) {
        tk::ReportCurrentException(L"the fade's snapshot"); // the fade goes on without it
        fadeSnapshot_ = tk::DibSection();
    }
    {
        const tk::WindowDc screen(nullptr);
        const tk::WindowDc own(fadeWindow);
        if (fadeSnapshot_.Dc()) {
            BitBlt(fadeSnapshot_.Dc(), 0, 0, size.cx, size.cy, screen.Get(), rect.left, rect.top,
                   SRCCOPY);
            // The copy leaves the alpha bytes empty; some compositors read them even though the
            // blend asks for none.
            std::uint32_t* pixel = fadeSnapshot_.Pixels();
            const std::size_t count = static_cast<std::size_t>(fadeSnapshot_.Width()) *
                                      static_cast<std::size_t>(fadeSnapshot_.Height());
            for (std::size_t i = 0; i < count; ++i)
                pixel[i] |= 0xFF000000u;
        }
        UpdateLayeredWindow(fadeWindow, own.Get(), &at, &size, fadeSnapshot_.Dc(), &origin, 0,
                            &fadeBlend_, ULW_ALPHA);
    }
    ShowWindow(fadeWindow, SW_SHOW);
    fadeStart_ = system_.TickCount();
    SetTimer(fadeWindow, reinterpret_cast<UINT_PTR>(fadeWindow), kFadeInterval, nullptr);
}

void ucShadow::FadeStep(HWND fadeWindow, WPARAM timer) {
    // A timer message of a fade that has ended already is ignored.
    if (fadeWindow != fadeWindow_ || timer != reinterpret_cast<WPARAM>(fadeWindow)) return;
    const auto next = NextFadeAlpha(fadeBlend_.SourceConstantAlpha, fadeDuration_,
                                    system_.TickCount() - fadeStart_);
    if (next) {
        fadeBlend_.SourceConstantAlpha = *next;
        SIZE size{fadeSnapshot_.Width(), fadeSnapshot_.Height()};
        POINT origin{0, 0};
        UpdateLayeredWindow(fadeWindow, nullptr, nullptr, fadeSnapshot_.Dc() ? &size : nullptr,
                            fadeSnapshot_.Dc(), fadeSnapshot_.Dc() ? &origin : nullptr, 0,
                            &fadeBlend_, ULW_ALPHA);
        return;
    }
    KillTimer(fadeWindow, timer);
    fade_.reset();
    fadeWindow_ = nullptr;
    fadeSnapshot_ = tk::DibSection();
    if (fadingIn_) {
        FadedIn();
    } else {
        // Before the event: its handler may end this control.
        blocking_ = false;
        FadedOut();
    }
}

} // namespace zendra
