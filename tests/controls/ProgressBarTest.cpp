#include "ProgressBar.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace zendra;

namespace {

TEST(ProgressBarTest, FillsTheDoneShareFromTheLeftInWholePixelsInTheButtonsLook) {
    tk::Form::SetOnLastUnloaded([] {});
    test::HostForm host{6000, 1500, RGB(200, 30, 30)};
    ProgressBar bar;
    host.Load();
    host.CreateControl(bar, 300, 300, 3000, 1000); // 200 x 23 pixels
    host.Show();
    // The pressed button's blue gloss fills; the track is the disabled button's light face.
    const auto look = [&](int x) {
        test::Pump(20);
        const COLORREF c = test::Snapshot(bar.Hwnd()).Color(x, 11);
        return GetBValue(c) > GetRValue(c) + 40                                 ? 'F'
               : GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200 ? 'T'
                                                                                : '?';
    };
    EXPECT_EQ(bar.Height(), 345);
    EXPECT_EQ(look(20), 'T');
    bar.SetProgress(5ull << 29, 5ull << 30); // half of 5 GiB: 100 pixels
    EXPECT_EQ(bar.FilledWidth(), 100 * 15);
    EXPECT_EQ(look(20), 'F');
    EXPECT_EQ(look(98), 'F');
    EXPECT_EQ(look(150), 'T');
    // The rounded ends show the host behind the bar.
    EXPECT_EQ(test::Snapshot(bar.Hwnd()).Color(0, 0), RGB(200, 30, 30));
    EXPECT_EQ(test::Snapshot(bar.Hwnd()).Color(199, 0), RGB(200, 30, 30));
    bar.SetProgress(199, 200); // rounded down: never full before the end
    EXPECT_EQ(bar.FilledWidth(), 199 * 15);
    bar.SetProgress(7, 5);
    EXPECT_EQ(bar.FilledWidth(), 200 * 15);
    bar.SetProgress(3, 0);
    EXPECT_EQ(bar.FilledWidth(), 0);
    bar.SetProgress(1, 4);
    bar.SetWidth(4800); // the share stays
    EXPECT_EQ(bar.FilledWidth(), 80 * 15);
    EXPECT_EQ(look(200), 'T');
}

} // namespace
