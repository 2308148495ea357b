#include "FrameTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace zendra;
using namespace zendra::test;

namespace {

// Button centres in the group's (and the bar's) client pixels.
constexpr POINT kClose{15, 11};
constexpr POINT kMin{36, 11};
constexpr POINT kZoom{57, 11};

struct ButtonsTest : ::testing::Test {
    void SetUp() override {
        tk::Form::SetOnLastUnloaded([] {});
        SetCursorPos(1270, 1010);
        host.Show();
        ASSERT_TRUE(PumpUntil([&] { return bar().GeometryCaptured() && GetActiveWindow() == host.Hwnd(); }));
        MoveTo(host.Hwnd(), 300, 200); // on the body, off the buttons
        Pump(40);
    }
    TitleBar& bar() { return host.Bar(); }
    const FramePictures& pics() { return host.Bar().Pictures(); }
    HWND group() { return host.Bar().ButtonGroup(); }
    RECT HostRect() {
        RECT r{};
        GetWindowRect(host.Hwnd(), &r);
        return r;
    }

    BarHost host{MakeLeopard(), 100, 100, 444, 319};
};

} // namespace

// ---- Press, release and click ----

TEST_F(ButtonsTest, APressShowsThePressedPictureUntilTheReleaseWhereverThePointerGoes) {
    MoveTo(group(), kClose.x, kClose.y);
    ASSERT_TRUE(PumpUntil([&] { return Shows(bar().MinButton(), pics().Minover); }));
    LeftDown();
    EXPECT_TRUE(Shows(bar().CloseButton(), pics().Xdown));
    EXPECT_TRUE(bar().ButtonDown());
    MoveTo(group(), kMin.x, kMin.y);
    Pump(60);
    MoveTo(host.Hwnd(), 300, 30);
    Pump(60);
    EXPECT_TRUE(Shows(bar().CloseButton(), pics().Xdown));
    // Off the group, but the hover poller leaves every button alone while one is held.
    EXPECT_TRUE(Shows(bar().MinButton(), pics().Minover));
    MoveTo(group(), kClose.x, kClose.y);
    LeftUp();
    EXPECT_FALSE(bar().ButtonDown());
    EXPECT_EQ(host.unloads, 1); // a press and release on the button is a click
}

TEST_F(ButtonsTest, AReleaseOffTheButtonRunsNothingAndHandsTheButtonBackToTheHoverPoller) {
    MoveTo(group(), kClose.x, kClose.y);
    LeftDown();
    MoveTo(host.Hwnd(), 300, 200);
    LeftUp();
    EXPECT_TRUE(Shows(bar().CloseButton(), pics().X1));
    EXPECT_FALSE(bar().ButtonDown());
    EXPECT_TRUE(bar().HoverPollerRunning());
    EXPECT_TRUE(host.IsLoaded());
    EXPECT_EQ(host.unloads, 0);
    // The poller follows the pointer again.
    MoveTo(group(), kMin.x, kMin.y);
    EXPECT_TRUE(PumpUntil([&] { return Shows(bar().CloseButton(), pics().Xover); }));
}

TEST_F(ButtonsTest, APressWhoseMouseIsTakenAwayRunsNothingAndTheButtonsFollowThePollersAgain) {
    bar().SetZoomEnabled(false);
    MoveTo(group(), kClose.x, kClose.y);
    LeftDown();
    EXPECT_TRUE(Shows(bar().CloseButton(), pics().Xdown));
    TakeCaptureAway();
    EXPECT_FALSE(bar().ButtonDown());
    LeftUp(); // over the button: the release of a cancelled press
    EXPECT_EQ(host.unloads, 0);
    EXPECT_TRUE(PumpUntil([&] { return Shows(bar().CloseButton(), pics().Xover); }));

    // Away and back: the zoom button, whose flag is off, shows its disabled picture again, never
    // its normal one between.
    SolidWindow other(RGB(0, 0, 255), 700, 100, 100, 100);
    other.Show();
    ASSERT_TRUE(PumpUntil([&] { return Shows(bar().ZoomButton(), pics().Dis2); }));
    host.Show();
    bool normal = false;
    EXPECT_TRUE(PumpUntil([&] {
        normal = normal || Shows(bar().ZoomButton(), pics().Zoom);
        return GetActiveWindow() == host.Hwnd() && Shows(bar().ZoomButton(), pics().Dis);
    }));
    Pump(40);
    EXPECT_FALSE(normal || Shows(bar().ZoomButton(), pics().Zoom));
}

// A bar stored with its zoom off (the main and About windows) shows the disabled zoom picture
// from its creation: the first frame is the look that stays.
TEST(ZoomFirstFrame, AZoomStoredOffIsDisabledBeforeAnyPollerTicks) {
    tk::Form::SetOnLastUnloaded([] {});
    BarHost host{MakeLeopard(), 100, 100, 444, 319, {{L"Leopard1", {{"ZoomEnabled", false}}}}};
    host.Load();
    EXPECT_TRUE(Shows(host.Bar().ZoomButton(), host.Bar().Pictures().Dis));
    host.Unload();
}

TEST_F(ButtonsTest, ClosingUnloadsTheHostThroughItsOwnUnloadStep) {
    ClickAt(group(), kClose.x, kClose.y);
    EXPECT_EQ(host.unloads, 1);
    EXPECT_FALSE(host.IsLoaded());
}

TEST_F(ButtonsTest, ACloseButtonWhoseFlagIsOffNeitherPressesNorCloses) {
    bar().SetXEnabled(false);
    MoveTo(group(), kClose.x, kClose.y);
    LeftDown();
    EXPECT_FALSE(Shows(bar().CloseButton(), pics().Xdown));
    EXPECT_FALSE(bar().ButtonDown());
    LeftUp();
    Pump(60);
    EXPECT_TRUE(host.IsLoaded());
    EXPECT_TRUE(Shows(bar().CloseButton(), pics().Dis));
}

TEST_F(ButtonsTest, MinimisingMinimisesTheHost) {
    MoveTo(group(), kMin.x, kMin.y);
    LeftDown();
    EXPECT_TRUE(Shows(bar().MinButton(), pics().Mindown));
    LeftUp();
    EXPECT_TRUE(IsIconic(host.Hwnd()));
    EXPECT_TRUE(host.IsLoaded());
    ShowWindow(host.Hwnd(), SW_RESTORE);
}

TEST_F(ButtonsTest, AMinimiseButtonWhoseFlagIsOffDoesNothing) {
    bar().SetMinEnabled(false);
    ClickAt(group(), kMin.x, kMin.y);
    EXPECT_FALSE(IsIconic(host.Hwnd()));
}

TEST_F(ButtonsTest, TheRightButtonPressesAndReleasesButDoesNotClick) {
    MoveTo(group(), kClose.x, kClose.y);
    RightDown();
    EXPECT_TRUE(Shows(bar().CloseButton(), pics().Xdown));
    EXPECT_TRUE(bar().ButtonDown());
    RightUp();
    EXPECT_FALSE(bar().ButtonDown());
    // Released over the group: the normal picture, then the hover poller's.
    EXPECT_TRUE(PumpUntil([&] { return Shows(bar().CloseButton(), pics().Xover); }));
    EXPECT_TRUE(host.IsLoaded());
}

// ---- Zoom ----

TEST_F(ButtonsTest, ZoomFillsTheScreenAndZoomAgainRestoresTheStartUpGeometryNotTheLastPlace) {
    ClickAt(group(), kZoom.x, kZoom.y);
    EXPECT_TRUE(bar().Zoomed());
    RECT r = HostRect();
    EXPECT_EQ(r.left, 0);
    EXPECT_LE(r.top, 1); // 10 twips: under one pixel
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN));

    host.Move(tk::PixelsToTwips(300), tk::PixelsToTwips(250), tk::PixelsToTwips(500),
              tk::PixelsToTwips(400));
    Pump(600); // not a double click
    ClickAt(group(), kZoom.x, kZoom.y);
    EXPECT_FALSE(bar().Zoomed());
    r = HostRect();
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.right - r.left, 444);
    EXPECT_EQ(r.bottom - r.top, 319);
}

TEST_F(ButtonsTest, AZoomButtonWhoseFlagIsOffLeavesTheWindowAlone) {
    bar().SetZoomEnabled(false);
    EXPECT_TRUE(Shows(bar().ZoomButton(), pics().Dis));
    ClickAt(group(), kZoom.x, kZoom.y);
    EXPECT_FALSE(bar().Zoomed());
    const RECT r = HostRect();
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.right - r.left, 444);
}

namespace {

// A click delivered as window messages, for windows the real pointer cannot reach.
void PostedClick(HWND window, POINT at) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageW(window, WM_LBUTTONUP, 0, where);
    Pump(20);
}

} // namespace

TEST(ZoomRange, AWindowBeyondTheOldSixteenBitRangeComesBackExactly) {
    tk::Form::SetOnLastUnloaded([] {});
    // 2300 pixels are 34500 twips, more than a signed 16-bit field holds.
    BarHost host(MakeLeopard(), 2300, 2250, 2400, 2200);
    host.Show();
    ASSERT_TRUE(PumpUntil([&] { return host.Bar().GeometryCaptured(); }));
    PostedClick(host.Bar().ButtonGroup(), kZoom);
    ASSERT_TRUE(host.Bar().Zoomed());
    Pump(600);
    PostedClick(host.Bar().ButtonGroup(), kZoom);
    ASSERT_FALSE(host.Bar().Zoomed());
    RECT r{};
    GetWindowRect(host.Hwnd(), &r);
    EXPECT_EQ(r.left, 2300);
    EXPECT_EQ(r.top, 2250);
    EXPECT_EQ(r.right - r.left, 2400);
    EXPECT_EQ(r.bottom - r.top, 2200);
}

// ---- A host loaded again ----

TEST(ReloadedHost, ABarLoadedAgainHasItsTooltipsAndCapturesItsNewStartUpGeometry) {
    tk::Form::SetOnLastUnloaded([] {});
    BarHost host(MakeTiger(), 100, 100, 232, 150);
    host.Show();
    ASSERT_TRUE(PumpUntil([&] { return host.Bar().GeometryCaptured(); }));
    ClickAt(host.Bar().ButtonGroup(), kClose.x, kClose.y);
    ASSERT_FALSE(host.IsLoaded());

    host.Move(tk::PixelsToTwips(400), tk::PixelsToTwips(300), host.Width(), host.Height());
    host.Show();
    HWND tips = host.Bar().TipsWindow();
    EXPECT_TRUE(IsWindow(tips));
    EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 3);
    ASSERT_TRUE(PumpUntil([&] { return host.Bar().GeometryCaptured(); }));
    Pump(600);
    PostedClick(host.Bar().ButtonGroup(), kZoom);
    Pump(600);
    PostedClick(host.Bar().ButtonGroup(), kZoom);
    RECT r{};
    GetWindowRect(host.Hwnd(), &r);
    EXPECT_EQ(r.left, 400);
    EXPECT_EQ(r.top, 300);
}
