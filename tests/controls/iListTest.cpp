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

// Wholly between the header and the bottom line.
bool InView(const iList& list, int i) {
    const int top = list.ContentTop() + list.Row(i).Top();
    return top >= 255 && top + iList::kRowSpacing <= 1755 - 10;
}

// Drags the thumb by `pixels` with the real mouse.
void DragThumb(const iList& list, int pixels) {
    const int x = TwipsToPixels(list.ScrollColumnLeft()) + 5;
    const int y = TwipsToPixels(list.ThumbTop()) + 10;
    test::MoveTo(list.Hwnd(), x, y);
    test::LeftDown();
    test::MoveTo(list.Hwnd(), x, y + pixels / 2);
    test::MoveTo(list.Hwnd(), x, y + pixels);
    test::LeftUp();
}

TEST_F(ListTest, TheThumbAtTheTopShowsTheFirstRowAtTheBottomTheLastInBetweenInProportion) {
    list.SetVisible(false); // the mouse reaches each list put in its place
    for (int rows : {0, 1, 5, 19, 103, 351, 3000, 32768}) {
        iList other{L"ListView3"};
        host.CreateControl(other, 0, 300, 6655, 1755);
        other.AddItem(L"Header");
        for (int i = 1; i <= rows; ++i)
            other.AddItem(L"row");
        const auto shown = [&] {
            std::vector<int> seen;
            for (int i = 1; i <= rows; ++i)
                if (InView(other, i)) seen.push_back(i);
            return seen;
        };
        EXPECT_TRUE(rows == 0 || shown().front() == 1) << rows;
        const int visible = rows == 0 ? 0 : static_cast<int>(shown().size());
        // Dragged far past the bottom, then far past the top: the ends of the travel.
        DragThumb(other, 600);
        EXPECT_EQ(other.ThumbTop(), other.ThumbMax()) << rows;
        EXPECT_TRUE(rows == 0 || shown().back() == rows) << rows;
        DragThumb(other, -600);
        EXPECT_EQ(other.ThumbTop(), other.ThumbMin()) << rows;
        EXPECT_TRUE(rows == 0 || shown().front() == 1) << rows;
        // Half way down, the rows half way through.
        other.SetThumbTop((other.ThumbMin() + other.ThumbMax()) / 2);
        if (rows > visible) {
            const double expected = 1 + (rows - visible) / 2.0;
            EXPECT_NEAR(shown().front(), expected, 1.0 + rows / 1000.0) << rows;
        }
        other.SetThumbTop(-1000000); // held within the travel
        EXPECT_EQ(other.ThumbTop(), other.ThumbMin()) << rows;
    }
}

TEST_F(ListTest, ADragFollowsThePointerAndEndsWhenTheMouseIsTakenAway) {
    AddRows(18);
    DragThumb(list, 20);
    EXPECT_EQ(list.ThumbTop(), list.ThumbMin() + 300);
    const int content = list.ContentTop();
    EXPECT_LT(content, 240);
    // The mouse taken away ends a drag, though the button stays down.
    const int x = TwipsToPixels(list.ScrollColumnLeft()) + 5;
    const int y = TwipsToPixels(list.ThumbTop()) + 10;
    test::MoveTo(list.Hwnd(), x, y);
    test::LeftDown();
    test::TakeCaptureAway();
    test::MoveTo(list.Hwnd(), x, y + 10);
    test::LeftUp();
    EXPECT_EQ(list.ThumbTop(), list.ThumbMin() + 300);
    EXPECT_EQ(list.ContentTop(), content);
}

// ---- Arrows, track and wheel ----

TEST_F(ListTest, AnArrowMovesOneRowWhenPressedHeldItRepeatsAndReleasingStopsIt) {
    AddRows(100);
    const POINT down = ArrowPoint(1);
    test::MoveTo(list.Hwnd(), down.x, down.y);
    // A press and release with no pause between them: one row.
    INPUT click[2]{};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
    ASSERT_TRUE(test::PumpUntil([&] { return list.ContentTop() == 240 - 250; }, 10000));
    ASSERT_TRUE(test::PumpUntil([&] { return !list.AutoRepeatRunning(); }, 10000));
    // Held: it goes on after the keyboard's delay, until let go. (Each press a few pixels from
    // the last: no double click.)
    test::MoveTo(list.Hwnd(), down.x - 3, down.y);
    test::LeftDown();
    ASSERT_TRUE(test::PumpUntil([&] { return list.ContentTop() <= 240 - 4 * 250; }, 10000));
    test::LeftUp();
    EXPECT_FALSE(list.AutoRepeatRunning());
    EXPECT_EQ((240 - list.ContentTop()) % 250, 0);
    // So does the mouse taken away.
    test::MoveTo(list.Hwnd(), down.x + 3, down.y);
    test::LeftDown();
    ASSERT_TRUE(list.AutoRepeatRunning());
    test::TakeCaptureAway();
    EXPECT_FALSE(list.AutoRepeatRunning());
    test::LeftUp();
}

TEST_F(ListTest, TheArrowsStopAtTheEndsAndKeepTheThumbInStep) {
    AddRows(400);
    const POINT down = ArrowPoint(1);
    test::MoveTo(list.Hwnd(), down.x, down.y);
    test::LeftDown();
    ASSERT_TRUE(test::PumpUntil([&] { return list.ContentTop() <= 240 - 2000; }, 10000));
    test::LeftUp();
    // The thumb stands where a drag to it would put the rows, to within a twip of thumb.
    const int moved = 240 - list.ContentTop();
    list.SetThumbTop(list.ThumbTop());
    EXPECT_NEAR(240 - list.ContentTop(), moved, 100);
    // Held up, the arrow ends with the first row at the top.
    const POINT up = ArrowPoint(0);
    test::MoveTo(list.Hwnd(), up.x, up.y);
    test::LeftDown();
    ASSERT_TRUE(test::PumpUntil([&] { return !list.AutoRepeatRunning(); }, 10000));
    test::LeftUp();
    EXPECT_EQ(list.ThumbTop(), list.ThumbMin());
    EXPECT_EQ(list.ContentTop(), 240);
}

TEST_F(ListTest, APressInTheTrackMovesAPageAndTheWheelTheSystemsLinesANotch) {
    AddRows(100);
    const int x = TwipsToPixels(list.ScrollColumnLeft()) + 6;
    test::ClickAt(list.Hwnd(), x, TwipsToPixels(list.ArrowTop(0)) - 4); // below the thumb
    const int page = 240 - list.ContentTop();
    EXPECT_EQ(page, 5 * 250);                              // the whole rows the view shows
    test::ClickAt(list.Hwnd(), x, TwipsToPixels(240) + 3); // above it
    EXPECT_EQ(list.ContentTop(), 240);

    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int notch = lines == WHEEL_PAGESCROLL ? page : static_cast<int>(lines) * 250;
    SetFocus(list.Hwnd());
    INPUT wheel{};
    wheel.type = INPUT_MOUSE;
    wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
    wheel.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
    SendInput(1, &wheel, sizeof(INPUT));
    ASSERT_TRUE(test::PumpUntil([&] { return list.ContentTop() == 240 - notch; }, 10000));
    // Two half notches make one.
    for (int i = 0; i < 2; ++i)
        SendMessageW(list.Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA / 2), 0);
    EXPECT_EQ(list.ContentTop(), 240 - 2 * notch);
    SendMessageW(list.Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), 0);
    EXPECT_EQ(list.ContentTop(), 240);
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
