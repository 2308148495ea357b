#include "TestSupport.h"
#include "iList.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>

using namespace zendra;
using namespace zendra::tk;

namespace {

struct ListTest : ::testing::Test {
    void SetUp() override {
        Form::SetOnLastUnloaded([] {});
        host.Load();
        host.CreateControl(list, 0, 300, 6655, 1755);
        host.Show();
        list.AddItem(L"Splitted Files                                         Size");
        test::Pump(30);
    }
    void AddRows(int n) {
        for (int i = 1; i <= n; ++i) list.AddItem(L"row " + std::to_wstring(i));
    }
    // The client point (pixels) of an arrow's middle.
    POINT ArrowPoint(int i) const {
        return {TwipsToPixels(list.ScrollColumnLeft()) + 6,
                TwipsToPixels(list.ArrowTop(i)) + (i == 0 ? 14 : 7)};
    }
    test::TestClock clock; // outlives the list's timer; the auto-repeat tests use it
    test::HostForm host{7000, 3000, RGB(255, 255, 255)};
    iList list{L"ListView2"};
};

} // namespace

// ---- Rows ----

TEST_F(ListTest, TheFirstItemIsTheHeaderAndLaterOnesAreRows) {
    EXPECT_EQ(list.HeaderText(), L"Splitted Files                                         Size");
    EXPECT_EQ(list.RowCount(), 0);
    AddRows(3);
    EXPECT_EQ(list.RowCount(), 3);
    EXPECT_EQ(list.Row(1).Caption(), L"row 1");
    EXPECT_EQ(list.Row(1).Top(), 50);
    EXPECT_EQ(list.Row(3).Top(), 550);
}

TEST_F(ListTest, EverySecondRowHasTheLightStripe) {
    AddRows(6);
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(list.RowHasStripe(i), i % 2 == 0) << i;
    const DibSection pixels = test::Snapshot(list.Hwnd());
    // Far right of the rows, where no text is: rows 1 and 2 (content starts at 240 twips).
    const int x = TwipsToPixels(list.ScrollColumnLeft()) - 10;
    EXPECT_EQ(pixels.Color(x, TwipsToPixels(240 + 50 + 100)), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(pixels.Color(x, TwipsToPixels(240 + 300 + 100)), RGB(237, 243, 254));
}

TEST_F(ListTest, AClickHighlightsOnlyTheClickedRow) {
    AddRows(4);
    auto rowPoint = [&](int i) {
        return POINT{20, TwipsToPixels(list.ContentTop() + list.Row(i).Top()) + 5};
    };
    POINT p = rowPoint(2);
    test::ClickAt(list.Hwnd(), p.x, p.y);
    EXPECT_TRUE(list.Row(2).Opaque());
    EXPECT_EQ(list.Row(2).BackColor(), iList::kHighlight);
    EXPECT_EQ(list.Row(2).ForeColor(), RGB(255, 255, 255));
    p = rowPoint(3); // another place: no double click
    test::ClickAt(list.Hwnd(), p.x, p.y);
    EXPECT_FALSE(list.Row(2).Opaque());
    EXPECT_EQ(list.Row(2).ForeColor(), RGB(0, 0, 0));
    EXPECT_TRUE(list.Row(3).Opaque());
    const DibSection pixels = test::Snapshot(list.Hwnd());
    EXPECT_EQ(pixels.Color(200, p.y), RGB(75, 127, 210));
}

TEST_F(ListTest, RowsBeyondTheOldLimitAreAddedAndCanBeScrolledTo) {
    AddRows(400);
    EXPECT_EQ(list.RowCount(), 400);
    EXPECT_EQ(list.Row(400).Top(), -200 + 250 * 400);
    list.SetThumbTop(list.ThumbMax());
    // The last row lies inside the visible part of the list.
    const int lastBottom = list.ContentTop() + list.Row(400).Top() + 250;
    EXPECT_LE(lastBottom, 1755 - 10);
    EXPECT_GT(lastBottom, 1755 - 10 - 500);
}

TEST_F(ListTest, AHundredThousandRowsAreAddedAndPainted) {
    const auto start = std::chrono::steady_clock::now();
    AddRows(100000);
    UpdateWindow(list.Hwnd());
    list.SetThumbTop(list.ThumbMax());
    UpdateWindow(list.Hwnd());
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start).count();
    RecordProperty("ms_for_100000_rows", static_cast<int>(ms));
    std::printf("100000 rows added and painted in %d ms\n", static_cast<int>(ms));
    EXPECT_EQ(list.RowCount(), 100000);
    EXPECT_TRUE(list.RowHasStripe(100000));
}

TEST_F(ListTest, SizesShowWholeAtTheRowsEndWhateverTheirLength) {
    list.AddItem(std::wstring(70, L'n'), std::uint64_t{1234567890123}); // a long name
    list.AddItem(L"bigfile.iso.000", 5);            // a 32-bit size will do too
    EXPECT_EQ(list.Row(1).Caption(), std::wstring(70, L'n') + L"1234567890123");
    EXPECT_EQ(list.Row(2).Caption(), L"bigfile.iso.000" + std::wstring(53 - 15, L' ') + L"5");

    // The size's pixels are those of the whole number drawn right-aligned at the row's end.
    const DibSection pixels = test::Snapshot(list.Hwnd());
    const int right = TwipsToPixels(list.ScrollColumnLeft()) - iListRow::kSizeMargin;
    const int top = TwipsToPixels(list.ContentTop() + list.Row(1).Top());
    const int height = TwipsToPixels(list.Row(1).Height()) - 2; // above the next row's stripe
    DibSection expected(right, height);
    RECT all{0, 0, right, height};
    FillRect(expected.Dc(), &all, GetSysColorBrush(COLOR_WINDOW));
    SelectScope font(expected.Dc(), FontHandle(list.Row(1).Font()));
    SetBkMode(expected.Dc(), TRANSPARENT);
    DrawTextW(expected.Dc(), L"1234567890123", 13, &all, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
    SIZE extent{};
    GetTextExtentPoint32W(expected.Dc(), L"1234567890123", 13, &extent);
    int differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = right - extent.cx - 1; x < right; ++x)
            differing += pixels.Color(x, top + y) != expected.Color(x, y);
    EXPECT_EQ(differing, 0);
}

// ---- Thumb ----

TEST_F(ListTest, TheThumbStopsShortOfItsLimitsAndTheContentFollowsAtFiveToOne) {
    AddRows(18); // the most rows that 5:1 takes to the last one
    list.SetThumbTop(600);
    EXPECT_EQ(list.ThumbTop(), 600);
    EXPECT_EQ(list.ContentTop(), -1000);
    list.SetThumbTop(240 + 100); // at the upper limit: refused
    EXPECT_EQ(list.ThumbTop(), 600);
    list.SetThumbTop(list.ArrowTop(0) - 250); // at the lower limit: refused
    EXPECT_EQ(list.ThumbTop(), 600);
    list.SetThumbTop(list.ArrowTop(0) - 251);
    EXPECT_EQ(list.ThumbTop(), list.ArrowTop(0) - 251);
}

TEST_F(ListTest, DraggingTheThumbWithTheLeftButtonMovesItAndTheContent) {
    AddRows(18); // the most rows that 5:1 takes to the last one
    const int x = TwipsToPixels(list.ScrollColumnLeft()) + 5;
    const int y = TwipsToPixels(list.ThumbTop()) + 10;
    test::MoveTo(list.Hwnd(), x, y);
    test::LeftDown();
    test::MoveTo(list.Hwnd(), x, y + 10);
    test::MoveTo(list.Hwnd(), x, y + 20);
    test::LeftUp();
    EXPECT_EQ(list.ThumbTop(), 360 + 300);
    EXPECT_EQ(list.ContentTop(), -5 * (660 - 400));
    // Far beyond the track's end: the thumb stays where the last accepted move left it.
    test::MoveTo(list.Hwnd(), x, y + 20);
    test::LeftDown();
    test::MoveTo(list.Hwnd(), x, y + 400);
    test::LeftUp();
    EXPECT_EQ(list.ThumbTop(), 660);
    // The mouse taken away ends a drag, though the button stays down.
    test::Pump(600); // not a double click
    test::MoveTo(list.Hwnd(), x, y + 20);
    test::LeftDown();
    test::TakeCaptureAway();
    test::MoveTo(list.Hwnd(), x, y + 30);
    test::LeftUp();
    EXPECT_EQ(list.ThumbTop(), 660);
}

// ---- Arrows ----

TEST_F(ListTest, HoldingTheDownArrowStepsEvery100msAndReleasingStopsAtOnce) {
    AddRows(18); // the most rows that 5:1 takes to the last one
    list.SetThumbTop(460);
    const POINT down = ArrowPoint(1);
    test::MoveTo(list.Hwnd(), down.x, down.y);
    clock.Use();
    test::LeftDown();
    EXPECT_TRUE(list.AutoRepeatRunning());
    clock.Advance(199);
    EXPECT_NE(list.ThumbTop(), 660);
    clock.Advance(1);
    ASSERT_EQ(list.ThumbTop(), 660);
    EXPECT_EQ(list.ContentTop(), -5 * (660 - 400));
    test::LeftUp();
    EXPECT_FALSE(list.AutoRepeatRunning());
    clock.Advance(250);
    EXPECT_EQ(list.ThumbTop(), 660);
    // So does the mouse taken away.
    test::Pump(600); // not a double click
    test::LeftDown();
    ASSERT_TRUE(list.AutoRepeatRunning());
    test::TakeCaptureAway();
    EXPECT_FALSE(list.AutoRepeatRunning());
    test::LeftUp();
}

TEST_F(ListTest, TheArrowsStopTheThumbAtTheEndsOfTheTrack) {
    AddRows(18); // the most rows that 5:1 takes to the last one
    // From where the thumb starts, the down arrow works too.
    const POINT down = ArrowPoint(1);
    test::MoveTo(list.Hwnd(), down.x, down.y);
    clock.Use();
    test::LeftDown();
    clock.Advance(10000);
    ASSERT_FALSE(list.AutoRepeatRunning());
    EXPECT_EQ(list.ThumbTop(), list.ThumbMax());
    test::LeftUp();

    const POINT up = ArrowPoint(0);
    test::MoveTo(list.Hwnd(), up.x, up.y);
    test::LeftDown();
    clock.Advance(10000);
    ASSERT_FALSE(list.AutoRepeatRunning());
    test::LeftUp();
    EXPECT_EQ(list.ThumbTop(), list.ThumbMin());
    EXPECT_EQ(list.ContentTop(), -5 * (list.ThumbMin() - 400));
}

TEST_F(ListTest, InALongListTheArrowsMoveTheRowsFromWhereTheyAreAndKeepTheThumbInStep) {
    AddRows(400);
    // A press on the thumb that does not move it leaves the rows where they start.
    const int x = TwipsToPixels(list.ScrollColumnLeft()) + 5;
    test::ClickAt(list.Hwnd(), x, TwipsToPixels(list.ThumbTop()) + 10);
    const int before = list.ContentTop();
    EXPECT_EQ(before, 240);
    const POINT down = ArrowPoint(1);
    test::MoveTo(list.Hwnd(), down.x, down.y);
    clock.Use();
    test::LeftDown();
    clock.Advance(200);
    test::LeftUp();
    const int moved = before - list.ContentTop();
    EXPECT_EQ(moved, 1000); // two rows per tick
    // The thumb stands where a drag to it would put the rows, to within a twip of thumb.
    const int top = list.ThumbTop();
    list.SetThumbTop(top);
    EXPECT_NEAR(list.ContentTop(), before - moved, 100);
    // Held up, the arrow ends with the first row at the top.
    const POINT up = ArrowPoint(0);
    test::MoveTo(list.Hwnd(), up.x, up.y);
    test::LeftDown();
    clock.Advance(10000);
    ASSERT_FALSE(list.AutoRepeatRunning());
    test::LeftUp();
    EXPECT_EQ(list.ThumbTop(), list.ThumbMin());
    EXPECT_EQ(list.ContentTop(), 5 * (400 - list.ThumbMin()));
}

TEST_F(ListTest, EveryPlaceOfTheThumbShowsRowsTheFirstAtTheTopAndTheLastAtTheEnd) {
    for (int rows : {0, 1, 18, 19, 100, 3000}) {
        iList other{L"ListView3"};
        host.CreateControl(other, 0, 300, 6655, 1755);
        other.AddItem(L"Header");
        for (int i = 1; i <= rows; ++i) other.AddItem(L"row");
        // Wholly between the header and the bottom line.
        auto inView = [&](int i) {
            const int top = other.ContentTop() + other.Row(i).Top();
            return top >= 255 && top + iList::kRowSpacing <= 1755 - 10;
        };
        for (int top = other.ThumbMin(); top < other.ThumbMax(); top += 15) {
            other.SetThumbTop(top);
            int shown = 0;
            for (int i = 1; i <= rows; ++i) shown += inView(i);
            EXPECT_TRUE(rows == 0 || shown > 0) << rows << " rows, thumb at " << top;
        }
        other.SetThumbTop(other.ThumbMin());
        EXPECT_TRUE(rows == 0 || inView(1)) << rows;
        other.SetThumbTop(other.ThumbMax());
        EXPECT_TRUE(rows == 0 || inView(rows)) << rows;
    }
}

TEST_F(ListTest, TheRightButtonDoesNotStartTheArrows) {
    AddRows(5);
    const POINT down = ArrowPoint(1);
    test::MoveTo(list.Hwnd(), down.x, down.y);
    test::RightDown();
    EXPECT_FALSE(list.AutoRepeatRunning());
    test::RightUp();
}

// ---- Layout and properties ----

TEST_F(ListTest, ResizingPutsTheScrollColumnAtTheRightAndTheArrowsAtTheBottom) {
    list.Move(0, 300, 5000, 2400);
    EXPECT_EQ(list.ScrollColumnLeft(), 5000 - 180);
    EXPECT_EQ(list.ArrowTop(1), 2400 - 210);
    EXPECT_EQ(list.ArrowTop(0), 2400 - 210 - 315);
}

TEST_F(ListTest, TheURLIsKeptAndWrittenOnlyWhenSet) {
    PropertyBag empty;
    list.WriteProperties(empty);
    EXPECT_FALSE(empty.Contains("URL"));
    list.SetURL(L"http://example.org/");
    EXPECT_TRUE(list.Changes().IsChanged("URL"));
    PropertyBag bag;
    list.WriteProperties(bag);
    iList other;
    other.ReadProperties(bag);
    EXPECT_EQ(other.URL(), L"http://example.org/");
}
