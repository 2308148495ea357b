#include "OSXcheckbox.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zendra;
using namespace zendra::tk;

namespace {

struct CheckboxTest : ::testing::Test {
    void SetUp() override {
        Form::SetOnLastUnloaded([] {});
        host.Load();
        host.CreateControl(box, 300, 300, 4395, 285);
        host.Show();
        box.Click.Handle([this] { events.push_back("click:" + std::to_string(box.Value())); });
        box.MouseExit.Handle([this] { events.push_back("exit"); });
        box.KeyDown.Handle([this](short key, short) { events.push_back("key:" + std::to_string(key)); });
        box.KeyPress.Handle([this](short c) { events.push_back("char:" + std::to_string(c)); });
        test::MoveTo(host.Hwnd(), 350, 250); // the pointer starts elsewhere
        test::Pump(40);
        events.clear();
    }
    test::HostForm host{6000, 4000, RGB(255, 255, 255)};
    OSXcheckbox box{L"chkDelSource"};
    std::vector<std::string> events;
};

using Log = std::vector<std::string>;

} // namespace

// ---- The value cycle ----

TEST_F(CheckboxTest, ClicksToggleAndTheClickHandlerSeesTheOldValue) {
    test::ClickAt(box.Hwnd(), 8, 9);
    EXPECT_EQ(box.Value(), 1);
    test::Pump(400); // apart, so that the next press is not a double click
    test::ClickAt(box.Hwnd(), 60, 9); // on the caption
    EXPECT_EQ(box.Value(), 0);
    EXPECT_EQ(events, (Log{"click:0", "click:1"}));
}

TEST_F(CheckboxTest, AMixedBoxBecomesUncheckedAndAClickNeverMakesItMixed) {
    box.SetValue(2);
    EXPECT_EQ(box.ShownCell(), 8);
    test::ClickAt(box.Hwnd(), 8, 9);
    EXPECT_EQ(box.Value(), 0);
}

TEST_F(CheckboxTest, ADoubleClickChangesTheValueOnce) {
    test::MoveTo(box.Hwnd(), 8, 9);
    test::LeftDown();
    test::LeftUp();
    test::LeftDown();
    test::LeftUp();
    EXPECT_EQ(box.Value(), 1);
    EXPECT_EQ(events, (Log{"click:0"}));
}

TEST_F(CheckboxTest, KeysArePassedOnAndSpaceTogglesOnItsRelease) {
    SetFocus(box.Hwnd());
    test::PressKeys({'A'});
    ASSERT_TRUE(test::PumpUntil([&] { return events.size() == 2; }, 10000));
    EXPECT_EQ(box.Value(), 0);
    test::PressKeys({VK_SPACE});
    ASSERT_TRUE(test::PumpUntil([&] { return events.size() == 5; }, 10000));
    EXPECT_EQ(box.Value(), 1);
    EXPECT_EQ(events, (Log{"key:65", "char:97", "key:32", "char:32", "click:0"}));
}

TEST_F(CheckboxTest, ValuesOutsideTheThreeKeepTheLastPicture) {
    box.SetValue(1);
    box.SetValue(5);
    EXPECT_EQ(box.Value(), 5);
    EXPECT_EQ(box.ShownCell(), 4);
}

// ---- Looks and the leave watch ----

TEST_F(CheckboxTest, AtStartTheWatchRaisesMouseExitOnceAndStops) {
    OSXcheckbox fresh{L"chkDelSplit"};
    int exits = 0;
    fresh.MouseExit.Handle([&] { ++exits; });
    host.CreateControl(fresh, 300, 900, 4395, 285);
    EXPECT_TRUE(fresh.LeaveWatchRunning());
    EXPECT_TRUE(test::PumpUntil([&] { return !fresh.LeaveWatchRunning(); }));
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(fresh.ShownCell(), 0);
}

TEST_F(CheckboxTest, HoverPressAndLeaveShowTheirCellsAndMouseExitComesOnce) {
    box.SetValue(1);
    test::MoveTo(box.Hwnd(), 8, 9);
    EXPECT_EQ(box.ShownCell(), 5);
    EXPECT_TRUE(box.LeaveWatchRunning());
    test::MoveTo(host.Hwnd(), 350, 250);
    EXPECT_TRUE(test::PumpUntil([&] { return box.ShownCell() == 4 && !box.LeaveWatchRunning(); }));
    EXPECT_EQ(events, (Log{"exit"}));
}

TEST_F(CheckboxTest, APressReleasedOutsideKeepsThePressedCellUntilTheWatchRestoresIt) {
    test::MoveTo(box.Hwnd(), 8, 9);
    test::LeftDown();
    EXPECT_EQ(box.ShownCell(), 2);
    test::MoveTo(host.Hwnd(), 350, 250);
    test::LeftUp();
    EXPECT_TRUE(test::PumpUntil([&] { return box.ShownCell() == 0; }));
    EXPECT_EQ(box.Value(), 0);
    EXPECT_EQ(events, (Log{"exit"}));
}

TEST_F(CheckboxTest, APressWhoseMouseIsTakenAwayShowsTheNormalCellAndDoesNotClick) {
    test::MoveTo(box.Hwnd(), 8, 9);
    test::LeftDown();
    EXPECT_EQ(box.ShownCell(), 2);
    test::TakeCaptureAway();
    EXPECT_EQ(box.ShownCell(), 0);
    test::LeftUp();
    EXPECT_EQ(box.Value(), 0);
    EXPECT_TRUE(events.empty());
}

TEST_F(CheckboxTest, ADisabledBoxLooksDisabledAndRaisesMouseEventsButNoClick) {
    box.MouseDown.Handle([this](short, short, float, float) { events.push_back("down"); });
    box.MouseUp.Handle([this](short, short, float, float) { events.push_back("up"); });
    box.SetValue(1);
    box.SetEnabled(false);
    EXPECT_EQ(box.ShownCell(), 7);
    EXPECT_EQ(box.CaptionLabel().ForeColor(), OSXcheckbox::kDisabledTextColor);
    test::MoveTo(box.Hwnd(), 8, 9);
    EXPECT_EQ(box.ShownCell(), 7); // no hover
    test::LeftDown();
    EXPECT_EQ(box.ShownCell(), 7); // no pressed cell
    test::LeftUp();
    EXPECT_EQ(box.Value(), 1);
    EXPECT_EQ(events, (Log{"down", "up"}));
    EXPECT_NE(GetFocus(), box.Hwnd());
    box.SetEnabled(true);
    EXPECT_EQ(box.ShownCell(), 4);
    EXPECT_EQ(box.CaptionLabel().ForeColor(), 0u);
}

// ---- Layout and properties ----

TEST_F(CheckboxTest, TheBoxAndCaptionAreCentredVertically) {
    box.SetHeight(375);
    EXPECT_EQ(box.BoxTop(), 67);
    EXPECT_EQ(box.CaptionLabel().Top(), (375 - box.CaptionLabel().Height()) / 2);
    EXPECT_EQ(box.CaptionLabel().Left(), 480);
}

TEST_F(CheckboxTest, PropertiesDefaultToTheInstanceAndAreWrittenOnlyWhenChanged) {
    OSXcheckbox fresh{L"chkDelSplit"};
    EXPECT_EQ(fresh.Caption(), L"chkDelSplit");
    PropertyBag empty;
    fresh.WriteProperties(empty);
    EXPECT_TRUE(empty.Keys().empty());

    FontDesc simsun{L"宋体", 9, FW_NORMAL, false, false, false, GB2312_CHARSET};
    fresh.ReadProperties({{"Value", std::int64_t{2}},
                          {"Caption", std::wstring(L"Delete splitted files after join completed.")},
                          {"BackColor", std::int64_t{0x80000009}},
                          {"Font", simsun}});
    EXPECT_EQ(fresh.Value(), 2);
    EXPECT_EQ(fresh.ShownCell(), 8);
    PropertyBag bag;
    fresh.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), (std::vector<std::string>{"Font", "Value", "Caption", "BackColor"}));
}
