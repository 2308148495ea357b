#include "FrameTestSupport.h"

#include "OnTop.h"

#include <gtest/gtest.h>

using namespace zendra;
using namespace zendra::test;

namespace {

struct PropertiesTest : ::testing::Test {
    void SetUp() override { tk::Form::SetOnLastUnloaded([] {}); }
};

using Keys = std::vector<std::string>;

} // namespace

// ---- The stored properties ----

TEST_F(PropertiesTest, ANewBarHasTheDefaultsAndStoresNothing) {
    Leopard bar;
    EXPECT_EQ(bar.Caption(), L"Panther");
    EXPECT_TRUE(bar.ActCheck());
    EXPECT_TRUE(bar.XEnabled());
    EXPECT_TRUE(bar.MinEnabled());
    EXPECT_TRUE(bar.ZoomEnabled());
    tk::PropertyBag bag;
    bar.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), Keys{});
}

TEST_F(PropertiesTest, ChangedValuesAreStoredUnderTheirKeysInOrder) {
    Tiger bar;
    bar.SetZoomEnabled(false);
    bar.SetMinEnabled(false);
    bar.SetXEnabled(false);
    bar.SetActCheck(false);
    bar.SetCaption(L"About Zendra");
    tk::PropertyBag bag;
    bar.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), (Keys{"Caption", "ActCheck", "XEnabled", "MinEnabled", "ZoomEnabled"}));
    EXPECT_EQ(bag.ReadString("Caption", L""), L"About Zendra");
    EXPECT_FALSE(bag.ReadBool("ZoomEnabled", true));
    for (const auto& key : bag.Keys()) EXPECT_TRUE(bar.Changes().IsChanged(key)) << key;
}

TEST_F(PropertiesTest, ReadingSetsTheValuesWithoutChangingAPictureOrMarkingChanges) {
    Leopard bar;
    bar.ReadProperties(tk::PropertyBag{{"Caption", std::wstring(L"Zendra")},
                                       {"ZoomEnabled", false},
                                       {"XEnabled", false}});
    EXPECT_EQ(bar.Caption(), L"Zendra");
    EXPECT_FALSE(bar.ZoomEnabled());
    EXPECT_FALSE(bar.XEnabled());
    EXPECT_TRUE(bar.MinEnabled());
    EXPECT_TRUE(Shows(bar.ZoomButton(), bar.Pictures().Zoom));
    EXPECT_TRUE(Shows(bar.CloseButton(), bar.Pictures().X1));
    EXPECT_FALSE(bar.Changes().IsChanged("Caption"));
    EXPECT_FALSE(bar.Changes().IsChanged("ZoomEnabled"));
}

TEST_F(PropertiesTest, OnlyZoomEnabledChangesAPictureAtOnce) {
    Leopard bar;
    bar.SetZoomEnabled(false);
    EXPECT_TRUE(Shows(bar.ZoomButton(), bar.Pictures().Dis));
    bar.SetZoomEnabled(true);
    EXPECT_TRUE(Shows(bar.ZoomButton(), bar.Pictures().Zoom));
    bar.SetXEnabled(false);
    bar.SetMinEnabled(false);
    EXPECT_TRUE(Shows(bar.CloseButton(), bar.Pictures().X1));
    EXPECT_TRUE(Shows(bar.MinButton(), bar.Pictures().Min));
}

// ---- Methods ----

TEST_F(PropertiesTest, HidingFromTheTaskbarLeavesOnlyTheToolWindowStyleAndShowingUndoesIt) {
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    host.Show();
    const LONG_PTR before = GetWindowLongPtrW(host.Hwnd(), GWL_EXSTYLE);
    ASSERT_NE(before & WS_EX_LAYERED, 0);
    host.Bar().SetShowInTaskbar(false, host.Hwnd());
    EXPECT_EQ(GetWindowLongPtrW(host.Hwnd(), GWL_EXSTYLE), LONG_PTR{WS_EX_TOOLWINDOW});
    host.Bar().SetShowInTaskbar(false, host.Hwnd()); // twice: the first style is still the one kept
    host.Bar().SetShowInTaskbar(true, host.Hwnd());
    EXPECT_EQ(GetWindowLongPtrW(host.Hwnd(), GWL_EXSTYLE), before);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(host.Hwnd(), &key, &alpha, &flags));
    EXPECT_EQ(key, COLORREF{0x00FF00FF});
    EXPECT_EQ(flags, DWORD{LWA_COLORKEY});
}

TEST_F(PropertiesTest, ShowingInTheTaskbarAWindowNeverHiddenClearsOnlyTheToolWindowStyle) {
    SolidWindow other(RGB(0, 0, 0), 10, 10, 50, 50);
    other.Load();
    SetWindowLongPtrW(other.Hwnd(), GWL_EXSTYLE, WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES);
    Leopard bar;
    bar.SetShowInTaskbar(true, other.Hwnd());
    EXPECT_EQ(GetWindowLongPtrW(other.Hwnd(), GWL_EXSTYLE), LONG_PTR{WS_EX_ACCEPTFILES});
}

TEST_F(PropertiesTest, SetOnTopMovesAWindowInAndOutOfTheTopmostBand) {
    SolidWindow window(RGB(0, 0, 0), 10, 10, 50, 50);
    window.Show();
    SetOnTop(window.Hwnd(), true);
    EXPECT_NE(GetWindowLongPtrW(window.Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    SetOnTop(window.Hwnd(), false);
    EXPECT_EQ(GetWindowLongPtrW(window.Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(PropertiesTest, SetOnTopShowsAHiddenWindowWithoutActivatingOrMovingIt) {
    BarHost active(MakeTiger(), 400, 100, 232, 150);
    active.Show();
    SolidWindow hidden(RGB(0, 0, 0), 30, 40, 50, 60);
    hidden.Load();
    SetOnTop(hidden.Hwnd(), true);
    EXPECT_TRUE(IsWindowVisible(hidden.Hwnd()));
    EXPECT_EQ(GetActiveWindow(), active.Hwnd());
    RECT r{};
    GetWindowRect(hidden.Hwnd(), &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.bottom - r.top, 60);
}

