#include "TestSupport.h"
#include "aquaBtn.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zendra;
using namespace zendra::tk;

namespace {

enum class Look { Normal, Pressed, Disabled, Other };

void CALLBACK CloseMessageBox(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    if (HWND box = FindWindowW(L"#32770", L"Zendra")) PostMessageW(box, WM_COMMAND, IDOK, 0);
}

struct AquaTest : ::testing::Test {
    void SetUp() override {
        Form::SetOnLastUnloaded([] {});
        host.Load();
        host.CreateControl(button, 300, 300, 2535, 345);
        host.Show();
        auto log = [this](const char* name) {
            return [this, name](short b, short s, float x, float y) {
                events.push_back(std::string(name) + "(" + std::to_string(b) + "," +
                                 std::to_string(s) + ")@" + LookName());
                lastX = x;
                lastY = y;
            };
        };
        button.MouseDown.Handle(log("down"));
        button.MouseUp.Handle(log("up"));
        button.Click.Handle([this] { events.push_back("click@" + LookName()); });
        button.DblClick.Handle([this] { events.push_back("dblclick@" + LookName()); });
        test::Pump(30);
    }
    Look Shown() const {
        auto is = [this](const aquaBtn::Look& l) {
            return button.LeftCap().SameAs(l.left) && button.Middle().SameAs(l.middle) &&
                   button.RightCap().SameAs(l.right);
        };
        if (is(button.NormalLook())) return Look::Normal;
        if (is(button.PressedLook())) return Look::Pressed;
        if (is(button.DisabledLook())) return Look::Disabled;
        return Look::Other;
    }
    std::string LookName() const {
        switch (Shown()) {
        case Look::Normal: return "normal";
        case Look::Pressed: return "pressed";
        case Look::Disabled: return "disabled";
        default: return "other";
        }
    }
    test::HostForm host{6000, 1500, RGB(200, 30, 30)};
    aquaBtn button{L"cmdSplit"};
    std::vector<std::string> events;
    float lastX = -1, lastY = -1;
};

using Log = std::vector<std::string>;

} // namespace

// ---- Events and the looks around them ----

TEST_F(AquaTest, ALeftClickRaisesEachEventBeforeItsPictureChange) {
    test::MoveTo(button.Hwnd(), 40, 10);
    test::LeftDown();
    EXPECT_EQ(Shown(), Look::Pressed);
    test::LeftUp();
    EXPECT_EQ(events, (Log{"down(1,0)@normal", "up(1,0)@pressed", "click@normal"}));
    EXPECT_EQ(Shown(), Look::Normal);
    // Twips relative to the input surface, which starts 10 twips below the top.
    EXPECT_FLOAT_EQ(lastX, 600);
    EXPECT_FLOAT_EQ(lastY, 140);
    // Focused, Space (on its release) and Enter click it too.
    SetFocus(button.Hwnd());
    for (WORD key : {VK_SPACE, VK_RETURN}) {
        events.clear();
        test::PressKeys({key});
        ASSERT_TRUE(test::PumpUntil([&] { return events.size() == 3; }, 10000)) << key;
        EXPECT_EQ(events, (Log{"down(1,0)@normal", "up(1,0)@pressed", "click@normal"})) << key;
    }
}

TEST_F(AquaTest, TheRightButtonAlsoPressesButMakesNoClick) {
    test::MoveTo(button.Hwnd(), 40, 10);
    test::RightDown();
    EXPECT_EQ(Shown(), Look::Pressed);
    test::RightUp();
    EXPECT_EQ(events, (Log{"down(2,0)@normal", "up(2,0)@pressed"}));
    EXPECT_EQ(Shown(), Look::Normal);
}

TEST_F(AquaTest, TheMiddleButtonAlsoPressesButMakesNoClick) {
    test::MoveTo(button.Hwnd(), 40, 10);
    test::Button(MOUSEEVENTF_MIDDLEDOWN);
    EXPECT_EQ(Shown(), Look::Pressed);
    test::Button(MOUSEEVENTF_MIDDLEUP);
    EXPECT_EQ(events, (Log{"down(4,0)@normal", "up(4,0)@pressed"}));
}

TEST_F(AquaTest, AModalDialogInMouseUpSeesThePressedLookAndClickFollowsIt) {
    // A message box that closes itself: the dialog takes the mouse while the handler runs.
    button.MouseUp.Handle([this](short, short, float, float) {
        SetTimer(host.Hwnd(), 77, 150, &CloseMessageBox);
        events.push_back("dialog@" + LookName());
        MessageBoxW(host.Hwnd(), L"Browse", L"Zendra", MB_OK);
        KillTimer(host.Hwnd(), 77);
        events.push_back("closed@" + LookName());
    });
    test::ClickAt(button.Hwnd(), 40, 10);
    test::Pump(50);
    EXPECT_EQ(events, (Log{"down(1,0)@normal", "dialog@pressed", "closed@pressed", "click@normal"}));
    EXPECT_EQ(Shown(), Look::Normal);
}

TEST_F(AquaTest, APressWhoseMouseIsTakenAwayShowsTheNormalLookAndRaisesNothingMore) {
    test::MoveTo(button.Hwnd(), 40, 10);
    test::LeftDown();
    test::TakeCaptureAway();
    EXPECT_EQ(Shown(), Look::Normal);
    test::LeftUp(); // over the button: the release of a cancelled press
    EXPECT_EQ(events, (Log{"down(1,0)@normal"}));
    // Cancelled inside MouseDown (a modal box would), after a disable: the disabled look stays.
    button.MouseDown.Handle([this](short, short, float, float) {
        button.SetEnabled(false);
        SendMessageW(button.Hwnd(), WM_CANCELMODE, 0, 0);
    });
    test::Pump(600); // not a double click
    test::LeftDown();
    EXPECT_EQ(Shown(), Look::Disabled);
    EXPECT_NE(GetCapture(), button.Hwnd());
    test::LeftUp();
}

TEST_F(AquaTest, AReleaseOutsideRaisesMouseUpButNoClick) {
    test::MoveTo(button.Hwnd(), 40, 10);
    test::LeftDown();
    test::MoveTo(host.Hwnd(), 300, 80);
    EXPECT_EQ(Shown(), Look::Pressed);
    test::LeftUp();
    EXPECT_EQ(events, (Log{"down(1,0)@normal", "up(1,0)@pressed"}));
    EXPECT_EQ(Shown(), Look::Normal);
}

TEST_F(AquaTest, ADoubleClickRaisesClickOnceThenDblClick) {
    test::MoveTo(button.Hwnd(), 40, 10);
    test::LeftDown();
    test::LeftUp();
    test::LeftDown();
    test::LeftUp();
    EXPECT_EQ(events, (Log{"down(1,0)@normal", "up(1,0)@pressed", "click@normal",
                           "dblclick@normal", "up(1,0)@normal"}));
}

TEST_F(AquaTest, ADisabledButtonShowsTheFlatLookAndRaisesNothing) {
    button.SetEnabled(false);
    EXPECT_EQ(Shown(), Look::Disabled);
    test::ClickAt(button.Hwnd(), 40, 10);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(Shown(), Look::Disabled);
    button.SetEnabled(true);
    EXPECT_EQ(Shown(), Look::Normal);
}

TEST_F(AquaTest, DisablingInsideMouseUpEndsWithTheNormalLookPutBack) {
    button.MouseUp.Handle([this](short, short, float, float) { button.SetEnabled(false); });
    test::ClickAt(button.Hwnd(), 40, 10);
    EXPECT_EQ(Shown(), Look::Normal);
    EXPECT_FALSE(button.Enabled());
    EXPECT_EQ(events, (Log{"down(1,0)@normal"})); // and no click from a disabled button
}

// ---- Layout ----

TEST_F(AquaTest, TheHeightIsAlways23PixelsAndTheRightCapFollowsTheEdge) {
    button.Move(300, 300, 3000, 600);
    EXPECT_EQ(button.Height(), 345);
    RECT r{};
    GetClientRect(button.Hwnd(), &r);
    EXPECT_EQ(r.bottom, 23);
    EXPECT_EQ(button.MiddleWidth(), 3000 - 230 - 225);
}

TEST_F(AquaTest, ANarrowButtonKeepsItsMiddlesLastWidth) {
    button.SetWidth(1000);
    const int middle = button.MiddleWidth();
    button.SetWidth(400);
    EXPECT_EQ(button.MiddleWidth(), middle);
}

// ---- Properties ----

TEST_F(AquaTest, DefaultsAreNotWrittenAndWritesKeepTheirOrder) {
    PropertyBag fresh;
    aquaBtn().WriteProperties(fresh);
    EXPECT_TRUE(fresh.Keys().empty());
    button.SetBackColor(0x80000009u);
    button.SetEnabled(false);
    button.SetBackStyle(1);
    button.SetCaption(L"Split");
    button.SetLines(false);
    PropertyBag bag;
    button.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(),
              (std::vector<std::string>{"BackColor", "Enabled", "BackStyle", "Caption", "Lines"}));
    for (const char* key : {"BackColor", "Enabled", "BackStyle", "Caption", "Lines"})
        EXPECT_TRUE(button.Changes().IsChanged(key)) << key;
}

TEST_F(AquaTest, AStoredDisabledButtonKeepsTheNormalLookAndTheBackdropStaysHidden) {
    aquaBtn stored{L"cmdJoin"};
    stored.ReadProperties({{"Enabled", false}, {"Lines", true}, {"Caption", std::wstring(L"Join Files")}});
    host.CreateControl(stored, 300, 900, 2535, 345);
    EXPECT_FALSE(stored.Enabled());
    EXPECT_FALSE(stored.BackdropShown());
    EXPECT_TRUE(stored.LeftCap().SameAs(stored.NormalLook().left));
    // Disabled all the same: a press raises nothing.
    int raised = 0;
    stored.MouseDown.Handle([&](short, short, float, float) { ++raised; });
    test::ClickAt(stored.Hwnd(), 40, 10);
    EXPECT_EQ(raised, 0);
    stored.SetLines(false);
    stored.SetLines(true);
    EXPECT_TRUE(stored.BackdropShown());
}

// ---- Pixels ----

TEST_F(AquaTest, ATransparentCapCornerShowsTheHostsColour) {
    const DibSection pixels = test::Snapshot(button.Hwnd());
    EXPECT_EQ(pixels.Color(0, 0), RGB(200, 30, 30));
    EXPECT_EQ(pixels.Color(pixels.Width() - 1, 0), RGB(200, 30, 30));
    EXPECT_NE(pixels.Color(7, 11), RGB(200, 30, 30)); // inside the cap
    button.SetBackStyle(1);
    button.SetBackColor(RGB(0, 0, 255));
    EXPECT_EQ(test::Snapshot(button.Hwnd()).Color(0, 0), RGB(0, 0, 255));
}

TEST_F(AquaTest, TheCaptionIsDrawnInBlackInTheMiddle) {
    button.SetCaption(L"WWWW");
    const DibSection pixels = test::Snapshot(button.Hwnd());
    int dark = 0;
    for (int x = 0; x < pixels.Width(); ++x)
        for (int y = 0; y < pixels.Height(); ++y)
            if (pixels.Color(x, y) == RGB(0, 0, 0)) {
                ++dark;
                EXPECT_GT(x, pixels.Width() / 2 - 30);
                EXPECT_LT(x, pixels.Width() / 2 + 30);
            }
    EXPECT_GT(dark, 10);
}
