#include "FrameTestSupport.h"

#include "OnTop.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace zendra;
using namespace zendra::test;

namespace {

constexpr unsigned kTick = 1 + 10; // the activity watcher's tick and one tick of a poller

struct PollersTest : ::testing::Test {
    void SetUp() override {
        tk::Form::SetOnLastUnloaded([] {});
        SetCursorPos(1270, 1010);
        clock.Use(); // the pollers tick when the test says
    }
    // Shows the host, waits until the system has made it active, then runs the clock `ms`.
    void Activate(BarHost& host, unsigned ms = 3 * kTick) {
        host.Show();
        ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == host.Hwnd(); }));
        clock.Run(ms);
    }
    static bool ActiveLook(TitleBar& bar) {
        const FramePictures& p = bar.Pictures();
        return Shows(bar.LeftEnd(), p.tLeft3) && Shows(bar.Middle(), p.tMid3) &&
               Shows(bar.MiddleBehindButtons(), p.tMid3) && Shows(bar.RightEnd(), p.tRight3);
    }
    static bool InactiveLook(TitleBar& bar) {
        const FramePictures& p = bar.Pictures();
        return Shows(bar.LeftEnd(), p.tLeft2) && Shows(bar.Middle(), p.tMid2) &&
               Shows(bar.MiddleBehindButtons(), p.tMid2) && Shows(bar.RightEnd(), p.tRight2) &&
               Shows(bar.CloseButton(), p.Dis2) && Shows(bar.MinButton(), p.Dis2) &&
               Shows(bar.ZoomButton(), p.Dis2);
    }
    static bool HoverLook(TitleBar& bar) {
        const FramePictures& p = bar.Pictures();
        return Shows(bar.CloseButton(), p.Xover) && Shows(bar.MinButton(), p.Minover) &&
               Shows(bar.ZoomButton(), p.Zoomover);
    }
    static bool NormalLook(TitleBar& bar) {
        const FramePictures& p = bar.Pictures();
        return Shows(bar.CloseButton(), p.X1) && Shows(bar.MinButton(), p.Min) &&
               Shows(bar.ZoomButton(), p.Zoom);
    }
    TestClock clock; // outlives the hosts
};


} // namespace

// ---- Activation ----

TEST_F(PollersTest, SwitchingToAnotherWindowShowsTheInactiveLookWithinATickAndBack) {
    BarHost a(MakeLeopard(), 100, 100, 444, 319);
    BarHost b(MakeTiger(), 600, 100, 232, 150);
    a.Bar().SetZoomEnabled(false); // a disabled button goes grey-inactive too
    Activate(b);
    Activate(a); // the inactive-look poller's first pass has seen the window active and stopped
    ASSERT_TRUE(ActiveLook(a.Bar()) && InactiveLook(b.Bar()) && !a.Bar().InactivePollerRunning());
    EXPECT_TRUE(a.Bar().HoverPollerRunning());

    Activate(b, kTick);
    EXPECT_TRUE(InactiveLook(a.Bar()) && ActiveLook(b.Bar()));
    EXPECT_TRUE(!a.Bar().HoverPollerRunning() && a.Bar().InactivePollerRunning());

    Activate(a, kTick);
    const FramePictures& p = a.Bar().Pictures();
    EXPECT_TRUE(ActiveLook(a.Bar()) && Shows(a.Bar().CloseButton(), p.X1) &&
                Shows(a.Bar().MinButton(), p.Min) && Shows(a.Bar().ZoomButton(), p.Dis));
    // The inactive-look poller stops itself once the window is active.
    EXPECT_TRUE(!a.Bar().InactivePollerRunning() && a.Bar().HoverPollerRunning());
    EXPECT_TRUE(InactiveLook(b.Bar()));
}

TEST_F(PollersTest, AWindowThatWasNeverActivatedShowsTheInactiveLook) {
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    host.Load(); // hidden, never active
    clock.Run(kTick);
    EXPECT_TRUE(InactiveLook(host.Bar()));
}

TEST_F(PollersTest, WithActCheckOffTheWatcherStillStartsTheInactivePoller) {
    tk::FormDesign design{{L"Leopard1", tk::PropertyBag{{"ActCheck", false}}}};
    BarHost host(MakeLeopard(), 100, 100, 444, 319, design);
    host.Load();
    EXPECT_FALSE(host.Bar().ActCheck()); // the first pass is skipped...
    clock.Run(kTick);
    EXPECT_TRUE(InactiveLook(host.Bar())); // ...not the polling
    EXPECT_TRUE(host.Bar().ActCheck());
}

// ---- Hover ----

TEST_F(PollersTest, ThePointerOnTheGroupLightsAllThreeButtonsAndLeavingItPutsThemBack) {
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    Activate(host);
    ASSERT_TRUE(ActiveLook(host.Bar()) && NormalLook(host.Bar()));
    const POINT below = ScreenPoint(host.Bar().ButtonGroup(), 30, 45); // under the buttons
    SetCursorPos(below.x, below.y);
    clock.Run(kTick);
    EXPECT_TRUE(HoverLook(host.Bar()));
    const POINT bar = ScreenPoint(host.Hwnd(), 80, 11); // on the bar, just right of the group
    SetCursorPos(bar.x, bar.y);
    clock.Run(kTick);
    EXPECT_TRUE(NormalLook(host.Bar()));
}

TEST_F(PollersTest, DisabledButtonsShowTheDisabledPictureWithOrWithoutHover) {
    BarHost host(MakeTiger(), 100, 100, 232, 150);
    Activate(host);
    host.Bar().SetMinEnabled(false);
    host.Bar().SetZoomEnabled(false);
    const FramePictures& p = host.Bar().Pictures();
    clock.Run(kTick);
    ASSERT_TRUE(Shows(host.Bar().CloseButton(), p.X1) && Shows(host.Bar().MinButton(), p.Dis) &&
                Shows(host.Bar().ZoomButton(), p.Dis));
    const POINT on = ScreenPoint(host.Bar().ButtonGroup(), 36, 11);
    SetCursorPos(on.x, on.y);
    clock.Run(kTick);
    EXPECT_TRUE(Shows(host.Bar().CloseButton(), p.Xover));
    EXPECT_TRUE(Shows(host.Bar().MinButton(), p.Dis));
    EXPECT_TRUE(Shows(host.Bar().ZoomButton(), p.Dis));
}

TEST_F(PollersTest, AWindowCoveringTheGroupUnderThePointerIsNotHover) {
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    Activate(host);
    const POINT group = ScreenPoint(host.Bar().ButtonGroup(), 0, 0);
    SolidWindow cover(RGB(0, 0, 0), group.x + 20, group.y, 40, 30);
    cover.Load();
    SetOnTop(cover.Hwnd(), true); // shown, not activated
    ASSERT_TRUE(ActiveLook(host.Bar()));
    SetCursorPos(group.x + 36, group.y + 11); // the minimise button, under the cover
    clock.Run(10 * kTick);
    EXPECT_TRUE(NormalLook(host.Bar()));
    SetCursorPos(group.x + 10, group.y + 11); // the close button, left of the cover
    clock.Run(kTick);
    EXPECT_TRUE(HoverLook(host.Bar()));
}

TEST_F(PollersTest, XEnabledAndMinEnabledReachThePicturesAtTheNextTick) {
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    Activate(host);
    const FramePictures& p = host.Bar().Pictures();
    ASSERT_TRUE(NormalLook(host.Bar()));
    host.Bar().SetXEnabled(false);
    host.Bar().SetMinEnabled(false);
    EXPECT_TRUE(Shows(host.Bar().CloseButton(), p.X1)); // no picture at once
    clock.Run(kTick);
    EXPECT_TRUE(Shows(host.Bar().CloseButton(), p.Dis) && Shows(host.Bar().MinButton(), p.Dis));
    host.Bar().SetXEnabled(true);
    clock.Run(kTick);
    EXPECT_TRUE(Shows(host.Bar().CloseButton(), p.X1));
}

// ---- Cost ----

namespace {

int paints = 0;

LRESULT CALLBACK CountPaints(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
    if (message == WM_PAINT) ++paints;
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

TEST_F(PollersTest, PollingAnUnchangedLookRepaintsNothing) {
    BarHost other(MakeTiger(), 600, 100, 232, 150);
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    Activate(other);
    Activate(host, 10 * kTick);
    ASSERT_TRUE(ActiveLook(host.Bar()) && NormalLook(host.Bar()));
    for (HWND w : {host.Hwnd(), host.Bar().Hwnd(), host.Bar().ButtonGroup()})
        SetWindowSubclass(w, &CountPaints, 1, 0);
    paints = 0;
    clock.Run(300); // thirty ticks of the hover poller
    EXPECT_EQ(paints, 0);

    Activate(other, 10 * kTick); // now the inactive-look poller assigns seven pictures per tick
    ASSERT_TRUE(InactiveLook(host.Bar()));
    paints = 0;
    clock.Run(300);
    EXPECT_EQ(paints, 0);
    for (HWND w : {host.Hwnd(), host.Bar().Hwnd(), host.Bar().ButtonGroup()})
        RemoveWindowSubclass(w, &CountPaints, 1);
}
