#include "ShadowHost.h"

#include <gtest/gtest.h>

#include <vector>

namespace zendra {
namespace {

using test::FakeSystem;
using test::ShadowHost;

class ShadowFade : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        tk::Form::SetOnLastUnloaded([] {});
    }

    void Open(tk::PropertyBag bag) {
        host = std::make_unique<ShadowHost>(system, std::move(bag));
        host->shadow.FadedIn.Handle([this] { ++fadedIn; });
        host->shadow.FadedOut.Handle([this] { ++fadedOut; });
        host->Load();
    }
    HWND Owner() const { return host->Hwnd(); }
    ucShadow& Shadow() { return host->shadow; }

    // One timer message, exactly 20 ms after the previous one; the system's own timer messages
    // stay queued because nothing is pumped.
    void Tick() {
        system.ticks += 20;
        const HWND fade = Shadow().FadeWindow();
        SendMessageW(fade, WM_TIMER, reinterpret_cast<WPARAM>(fade), 0);
    }
    // The alphas of a fade until it ends, and the number of timer messages it took.
    std::vector<int> RunFade(int& messages) {
        std::vector<int> alphas{Shadow().FadeAlpha()};
        messages = 0;
        while (Shadow().FadeWindow() && messages < 1000) {
            Tick();
            ++messages;
            if (Shadow().FadeWindow()) alphas.push_back(Shadow().FadeAlpha());
        }
        return alphas;
    }

    FakeSystem system;
    std::unique_ptr<ShadowHost> host;
    int fadedIn = 0;
    int fadedOut = 0;
};

tk::PropertyBag FadingIn(std::int64_t ms) {
    return {{"FadeIn", true}, {"FadeTime", ms}};
}

TEST_F(ShadowFade, ShowingTheOwnerFadesItInOverHalfASecond) {
    Open(FadingIn(500));
    ShowWindow(Owner(), SW_SHOWNOACTIVATE);
    const HWND fade = Shadow().FadeWindow();
    ASSERT_NE(fade, nullptr);
    wchar_t name[64] = {};
    GetClassNameW(fade, name, 64);
    EXPECT_EQ(std::wstring(name), OwnClassName(L"FadeCls", Owner()));
    EXPECT_EQ(GetWindowLongW(fade, GWL_EXSTYLE) & 0x00080088, 0x00080088);
    EXPECT_TRUE(IsWindowVisible(fade));
    // The snapshot covers the owner and its shadow.
    RECT rect{};
    GetWindowRect(fade, &rect);
    EXPECT_EQ(rect.left, ShadowHost::kLeft);
    EXPECT_EQ(rect.right - rect.left, ShadowHost::kWidth + 10);
    EXPECT_EQ(rect.bottom - rect.top, ShadowHost::kHeight + 10);

    int messages = 0;
    const std::vector<int> alphas = RunFade(messages);
    EXPECT_EQ(messages, 24);
    EXPECT_EQ(std::vector<int>(alphas.begin(), alphas.begin() + 4),
              (std::vector<int>{255, 244, 233, 222}));
    EXPECT_EQ(alphas.back(), 11);
    EXPECT_EQ(fadedIn, 1);
    EXPECT_EQ(fadedOut, 0);
    EXPECT_FALSE(IsWindow(fade));
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), name, &info));
}

TEST_F(ShadowFade, ATenthOfASecondTakesFourMessages) {
    Open(FadingIn(100));
    ShowWindow(Owner(), SW_SHOWNOACTIVATE);
    int messages = 0;
    EXPECT_EQ(RunFade(messages), (std::vector<int>{255, 191, 127, 63}));
    EXPECT_EQ(messages, 4);
    EXPECT_EQ(fadedIn, 1);
}

TEST_F(ShadowFade, NoDurationEndsAtTheFirstTimerMessage) {
    for (const std::int64_t ms : {0, -50}) {
        fadedIn = 0;
        Open(FadingIn(ms));
        ShowWindow(Owner(), SW_SHOWNOACTIVATE);
        ASSERT_NE(Shadow().FadeWindow(), nullptr);
        int messages = 0;
        RunFade(messages);
        EXPECT_EQ(messages, 1);
        EXPECT_EQ(fadedIn, 1);
        host.reset();
    }
}

TEST_F(ShadowFade, NoFadeInWhenSwitchedOffOrWhenShownByItsOwner) {
    Open({{"FadeIn", false}});
    ShowWindow(Owner(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(Shadow().FadeWindow(), nullptr);
    ShowWindow(Owner(), SW_HIDE);
    Shadow().SetFadeIn(true);
    SendMessageW(Owner(), WM_SHOWWINDOW, TRUE, SW_PARENTOPENING);
    EXPECT_EQ(Shadow().FadeWindow(), nullptr);
    ShowWindow(Owner(), SW_SHOWNOACTIVATE);
    EXPECT_NE(Shadow().FadeWindow(), nullptr);
}

TEST_F(ShadowFade, FadeOutHidesTheOwnerAndEndsWithFadedOut) {
    Open({{"FadeIn", false}});
    ShowWindow(Owner(), SW_SHOWNOACTIVATE);
    Shadow().FadeOut(100, false);
    EXPECT_FALSE(IsWindowVisible(Owner()));
    EXPECT_FALSE(IsWindowVisible(Shadow().RightWindow()));
    ASSERT_NE(Shadow().FadeWindow(), nullptr);
    EXPECT_EQ(Shadow().FadeAlpha(), 255);
    int messages = 0;
    RunFade(messages);
    EXPECT_EQ(messages, 4);
    EXPECT_EQ(fadedOut, 1);
    EXPECT_EQ(fadedIn, 0);
}

TEST_F(ShadowFade, ASecondFadeEndsTheFirstAtOnce) {
    Open({{"FadeIn", false}});
    ShowWindow(Owner(), SW_SHOWNOACTIVATE);
    Shadow().FadeOut(500, false);
    const HWND first = Shadow().FadeWindow();
    Tick();
    Shadow().FadeOut(100, false);
    const HWND second = Shadow().FadeWindow();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(second));
    EXPECT_EQ(Shadow().FadeAlpha(), 255);
    // A late timer message of the first fade changes nothing.
    SendMessageW(second, WM_TIMER, reinterpret_cast<WPARAM>(first), 0);
    EXPECT_EQ(Shadow().FadeAlpha(), 255);
    int messages = 0;
    RunFade(messages);
    EXPECT_EQ(messages, 4);
    EXPECT_EQ(fadedOut, 1);
}

TEST_F(ShadowFade, BlockingFadeOutReturnsOnlyAfterFadedOut) {
    system.realClock = true;
    Open({{"FadeIn", false}});
    ShowWindow(Owner(), SW_SHOWNOACTIVATE);
    bool raisedInside = false;
    Shadow().FadedOut.Handle([&] { raisedInside = true; });
    const DWORD start = GetTickCount();
    Shadow().FadeOut(200, true);
    EXPECT_TRUE(raisedInside);
    EXPECT_GE(GetTickCount() - start, 150u);
    EXPECT_EQ(Shadow().FadeWindow(), nullptr);
    EXPECT_FALSE(IsWindowVisible(Owner()));
}

TEST_F(ShadowFade, EndingTheControlDuringABlockingFadeOutReturns) {
    system.realClock = true;
    Open({{"FadeIn", false}});
    ShowWindow(Owner(), SW_SHOWNOACTIVATE);
    // Another event of the program closes the window while the fade runs.
    ucShadow& shadow = Shadow();
    const UINT_PTR timer = SetTimer(Owner(), 77, 60, nullptr);
    ASSERT_NE(timer, 0u);
    struct Closer : iSubclass {
        std::unique_ptr<ShadowHost>* host;
        void After(LRESULT&, HWND, UINT, WPARAM, LPARAM) noexcept override {}
        void Before(bool& handled, LRESULT&, HWND&, UINT& uMsg, WPARAM& wParam,
                    LPARAM&) noexcept override {
            if (uMsg == WM_TIMER && wParam == 77) {
                handled = true;
                host->reset();
            }
        }
    } closer;
    closer.host = &host;
    cSubclass watch;
    watch.Subclass(Owner(), closer);
    watch.AddMsg(WM_TIMER, cSubclass::kBefore);
    shadow.FadeOut(2000, true);
    EXPECT_EQ(host, nullptr);
}

} // namespace
} // namespace zendra
