#include "ProgressBar.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace zendra;

namespace {

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;

struct ProgressBarTest : ::testing::Test {
    void SetUp() override {
        tk::Form::SetOnLastUnloaded([] {});
        host.Load();
        host.CreateControl(bar, 300, 300, 3000, 345); // 200 x 23 pixels
        host.Show();
        test::Pump(30);
    }
    // The blue gloss fills; the track is a light grey-white.
    bool Filled(int x) {
        const COLORREF c = test::Snapshot(bar.Hwnd()).Color(x, 11);
        return GetBValue(c) > GetRValue(c) + 40;
    }
    bool Track(int x) {
        const COLORREF c = test::Snapshot(bar.Hwnd()).Color(x, 11);
        return GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200;
    }

    test::HostForm host{6000, 1500, RGB(200, 30, 30)};
    ProgressBar bar;
};

TEST_F(ProgressBarTest, FillsTheDoneShareFromTheLeftInWholePixels) {
    EXPECT_EQ(bar.Height(), 345);
    EXPECT_EQ(bar.FilledWidth(), 0);
    EXPECT_TRUE(Track(20));
    EXPECT_TRUE(Track(100));
    bar.SetProgress(5 * kGiB / 2 + 1, 5 * kGiB); // just over half of 5 GiB: 100 pixels
    EXPECT_EQ(bar.FilledWidth(), 100 * 15);
    test::Pump(30);
    EXPECT_TRUE(Filled(20));
    EXPECT_TRUE(Filled(98));
    EXPECT_TRUE(Track(150));
    bar.SetProgress(199, 200); // rounded down: never full before the end
    EXPECT_EQ(bar.FilledWidth(), 199 * 15);
    bar.SetProgress(7, 5);
    EXPECT_EQ(bar.FilledWidth(), 200 * 15);
    bar.SetProgress(3, 0);
    EXPECT_EQ(bar.FilledWidth(), 0);
}

TEST_F(ProgressBarTest, KeepsItsShareAndHeightWhenResized) {
    bar.SetProgress(1, 4);
    bar.Move(300, 300, 4800, 1000);
    EXPECT_EQ(bar.Height(), 345);
    EXPECT_EQ(bar.FilledWidth(), 80 * 15);
    test::Pump(30);
    EXPECT_TRUE(Filled(50));
    EXPECT_TRUE(Track(200));
    // The rounded corners show the host behind the bar.
    EXPECT_EQ(test::Snapshot(bar.Hwnd()).Color(319, 0), RGB(200, 30, 30));
    EXPECT_EQ(test::Snapshot(bar.Hwnd()).Color(0, 0), RGB(200, 30, 30));
}

} // namespace
