#include "FrameTestSupport.h"
#include "Language.h"

#include "Artwork.h"
#include "Shape.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

using namespace zendra;
using namespace zendra::test;

namespace {

constexpr COLORREF kBehind = RGB(0, 160, 60);

struct LayoutTest : ::testing::Test {
    void SetUp() override {
        tk::Form::SetOnLastUnloaded([] {});
        SetCursorPos(1270, 1010);
    }
};

RECT ChildRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

} // namespace

// ---- Layout after resizes ----

TEST_F(LayoutTest, LeopardPlacesItsPiecesForTheHostsWidth) {
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    host.Show();
    TitleBar& bar = host.Bar();
    const int W = 444 * 15;
    EXPECT_EQ(bar.Height(), 810);
    EXPECT_EQ(bar.Middle().Left(), 120);
    EXPECT_EQ(bar.Middle().Width(), W - 240);
    EXPECT_EQ(bar.RightEnd().Left(), W - 120);
    EXPECT_EQ(bar.CloseButton().Left(), 120);
    EXPECT_EQ(bar.MinButton().Left(), 435);
    EXPECT_EQ(bar.ZoomButton().Left(), 750);
    EXPECT_EQ(bar.ZoomButton().Top(), 0);
    EXPECT_EQ(bar.DragSurface().Width(), W);
    EXPECT_EQ(bar.DragSurface().Height(), 810);
    EXPECT_EQ(bar.CaptionLabel().Width(), W);
    EXPECT_EQ(bar.CaptionLabel().Left(), 0);
    EXPECT_EQ(bar.CaptionLabel().Top(), 60);
    RECT window{};
    GetWindowRect(bar.Hwnd(), &window);
    EXPECT_EQ(window.bottom - window.top, 54);
    const RECT group = ChildRect(bar.ButtonGroup());
    EXPECT_EQ(group.left, 0);
    EXPECT_EQ(group.top, 0);
    EXPECT_EQ(group.right, 65);
    EXPECT_EQ(group.bottom, 54);
}

TEST_F(LayoutTest, TigerIsASlimBarWithTheSameButtonPlaces) {
    BarHost host(MakeTiger(), 100, 100, 232, 150);
    host.Show();
    TitleBar& bar = host.Bar();
    EXPECT_EQ(bar.Height(), 345);
    EXPECT_EQ(bar.Middle().Width(), 232 * 15 - 240);
    EXPECT_EQ(bar.MinButton().Left(), 435);
    EXPECT_EQ(bar.ZoomButton().Left(), 750);
    EXPECT_EQ(bar.CloseButton().Height(), 345);
    const RECT group = ChildRect(bar.ButtonGroup());
    EXPECT_EQ(group.right - group.left, 65);
    EXPECT_EQ(group.bottom - group.top, 25); // clipped to the bar's 23 rows
}

TEST_F(LayoutTest, TheRightEndFollowsTheEdgeAndTheMiddleShrinks) {
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    host.Show();
    TitleBar& bar = host.Bar();
    bar.SetWidth(3000);
    EXPECT_EQ(bar.RightEnd().Left(), 2880);
    EXPECT_EQ(bar.Middle().Width(), 2760);
    EXPECT_EQ(bar.CaptionLabel().Width(), 3000);
    bar.SetWidth(1500);
    EXPECT_EQ(bar.RightEnd().Left(), 1380);
    EXPECT_EQ(bar.Middle().Width(), 1260);
    EXPECT_EQ(bar.DragSurface().Width(), 1500);
}

TEST_F(LayoutTest, ABarNarrowerThanItsEndsKeepsTheMiddlesLastWidth) {
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    host.Show();
    TitleBar& bar = host.Bar();
    bar.SetWidth(1500);
    bar.SetWidth(150); // 10 pixels: less than the two 8-pixel ends
    EXPECT_EQ(bar.Middle().Width(), 1260);
    // The later steps still run.
    EXPECT_EQ(bar.RightEnd().Left(), 30);
    EXPECT_EQ(bar.CaptionLabel().Width(), 150);
    EXPECT_EQ(bar.DragSurface().Width(), 150);
}

// ---- The keyed host window ----

TEST_F(LayoutTest, TheHostBecomesALayeredWindowKeyedOnTheCornerColour) {
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    host.Show();
    EXPECT_NE(GetWindowLongPtrW(host.Hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(host.Hwnd(), &key, &alpha, &flags));
    EXPECT_EQ(key, COLORREF{0x00FF00FF});
    EXPECT_EQ(flags, DWORD{LWA_COLORKEY});
}

namespace {

// Counts, in each of the top rows, the pixels from the outer edge that show the window behind.
std::vector<int> SeeThroughRun(HWND host, int rows, bool fromRight) {
    RECT client{};
    GetClientRect(host, &client);
    std::vector<int> run;
    for (int y = 0; y < rows; ++y) {
        int n = 0;
        for (int i = 0; i < 10; ++i) {
            const int x = fromRight ? client.right - 1 - i : i;
            const POINT p = ScreenPoint(host, x, y);
            if (ScreenPixel(p.x, p.y) != kBehind) break;
            ++n;
        }
        run.push_back(n);
    }
    return run;
}

} // namespace

TEST_F(LayoutTest, TheLeopardsTopCornersShowTheWindowBehindOnTheScreen) {
    SolidWindow behind(kBehind, 80, 80, 500, 360);
    behind.Show();
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    host.Show();
    const std::vector<int> expected{5, 3, 2, 1, 1, 0};
    PumpUntil([&] { return SeeThroughRun(host.Hwnd(), 6, false) == expected; }); // on the screen
    EXPECT_EQ(SeeThroughRun(host.Hwnd(), 6, false), expected);
    EXPECT_EQ(SeeThroughRun(host.Hwnd(), 6, true), expected);
    // The host is there: its bar covers the rest of the top row.
    const POINT mid = ScreenPoint(host.Hwnd(), 200, 0);
    EXPECT_NE(ScreenPixel(mid.x, mid.y), kBehind);
}

TEST_F(LayoutTest, TheTigersCornersStayRoundWhenTheWindowIsInactive) {
    SolidWindow behind(kBehind, 80, 80, 300, 200);
    behind.Show();
    BarHost host(MakeTiger(), 100, 100, 232, 150);
    host.Show();
    behind.Show(); // the other window becomes active
    SetWindowPos(host.Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_TRUE(PumpUntil([&] { return Shows(host.Bar().LeftEnd(), host.Bar().Pictures().tLeft2); }));
    const std::vector<int> expected{6, 4, 3, 2, 1, 1, 0};
    PumpUntil([&] { return SeeThroughRun(host.Hwnd(), 7, false) == expected; });
    EXPECT_EQ(SeeThroughRun(host.Hwnd(), 7, false), expected);
    EXPECT_EQ(SeeThroughRun(host.Hwnd(), 7, true), expected);
}

TEST_F(LayoutTest, AnyPixelOfTheKeyColourOnTheHostIsTransparent) {
    SolidWindow behind(kBehind, 80, 80, 500, 360);
    behind.Show();
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    tk::Shape hole;
    hole.SetFilled(true);
    hole.SetFillColor(ZENDRA_ART_KEY_COLOUR);
    hole.SetBorderVisible(false);
    hole.Move(tk::PixelsToTwips(100), tk::PixelsToTwips(150), tk::PixelsToTwips(40),
              tk::PixelsToTwips(30));
    host.Elements().AddFront(hole);
    host.Show();
    const POINT inside = ScreenPoint(host.Hwnd(), 120, 165);
    PumpUntil([&] { return ScreenPixel(inside.x, inside.y) == kBehind; });
    EXPECT_EQ(ScreenPixel(inside.x, inside.y), kBehind);
    const POINT beside = ScreenPoint(host.Hwnd(), 160, 165);
    EXPECT_EQ(ScreenPixel(beside.x, beside.y), COLORREF{RGB(255, 255, 255)});
}

// ---- Tooltips ----

TEST_F(LayoutTest, TheThreeButtonsCarryTooltipsInTheUsersLanguage) {
    struct Case {
        LANGID language;
        std::wstring texts[3];
    };
    const Case cases[] = {
        {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), {L"Close", L"Minimize", L"Zoom"}},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_HONGKONG), {L"关闭", L"最小化", L"最大化"}}};
    for (const Case& c : cases) {
        tk::OverrideInterfaceLanguage(c.language);
        BarHost host(MakeLeopard(), 100, 100, 444, 319);
        host.Show();
        HWND tips = host.Bar().TipsWindow();
        ASSERT_NE(tips, nullptr);
        ASSERT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 3);
        const int lefts[] = {8, 29, 50};
        for (int i = 0; i < 3; ++i) {
            wchar_t text[80] = {};
            TTTOOLINFOW info{};
            info.cbSize = sizeof(info);
            info.lpszText = text;
            ASSERT_TRUE(SendMessageW(tips, TTM_ENUMTOOLSW, static_cast<WPARAM>(i),
                                     reinterpret_cast<LPARAM>(&info)));
            EXPECT_EQ(std::wstring(text), c.texts[i]);
            EXPECT_EQ(info.hwnd, host.Bar().ButtonGroup());
            EXPECT_EQ(info.rect.left, lefts[i]);
            EXPECT_EQ(info.rect.right, lefts[i] + 14);
            EXPECT_EQ(info.rect.bottom, 22);
        }
    }
    tk::OverrideInterfaceLanguage(0);
}
