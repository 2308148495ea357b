#include "Control.h"
#include "Image.h"
#include "Label.h"
#include "Shape.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zendra;
using namespace zendra::tk;

namespace {

// 3000 x 1500 twips (200 x 100 px): a picture behind everything, a label on the left half, a
// shape over the right half's top, a disabled label at the bottom right.
class Board : public Control {
public:
    Board() : Control(L"board") {
        back.SetStretch(true);
        back.SetPicture(Picture::Solid(2, 2, RGB(0, 0, 255)));
        back.Move(0, 0, 3000, 1500);
        left.Move(0, 0, 1500, 1500);
        shape.Move(1500, 0, 1500, 750);
        shape.SetFilled(true);
        off.Move(1500, 750, 1500, 750);
        off.SetEnabled(false);
        Elements().AddFront(back);
        Elements().AddFront(left);
        Elements().AddFront(shape);
        Elements().AddFront(off);
    }
    Image back;
    Label left;
    Shape shape;
    Label off;
};

struct SurfaceTest : ::testing::Test {
    void SetUp() override {
        Form::SetOnLastUnloaded([] {});
        host.Load();
        board.Create(host.Hwnd(), 300, 300, 3000, 1500);
        host.Show();
        Hook(board.back, "back");
        Hook(board.left, "left");
        Hook(board.off, "off");
        Hook(board.Elements(), "surface");
        test::Pump(50);
    }
    void Hook(Element& e, const std::string& name) {
        auto mouse = [this, name](const char* what) {
            return [this, name, what](const MouseArgs& a) {
                log.push_back(name + "." + what + "(" + std::to_string(a.button) + ")");
                last = a;
            };
        };
        e.MouseDown.Handle(mouse("down"));
        e.MouseUp.Handle(mouse("up"));
        e.Click.Handle([this, name] { log.push_back(name + ".click"); });
        e.DblClick.Handle([this, name] { log.push_back(name + ".dblclick"); });
        e.PressCancelled.Handle([this, name] { log.push_back(name + ".cancelled"); });
    }
    test::HostForm host;
    Board board;
    std::vector<std::string> log;
    MouseArgs last;
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(SurfaceTest, APressReachesTheFrontmostElementWithItsOwnCoordinates) {
    test::MoveTo(board.Hwnd(), 40, 30);
    test::LeftDown();
    test::LeftUp();
    EXPECT_EQ(log, (Log{"left.down(1)", "left.up(1)", "left.click"}));
    EXPECT_FLOAT_EQ(last.x, 600);
    EXPECT_FLOAT_EQ(last.y, 450);
}

TEST_F(SurfaceTest, AShapeLetsTheMouseThroughToWhatLiesBehind) {
    test::ClickAt(board.Hwnd(), 150, 20);
    EXPECT_EQ(log, (Log{"back.down(1)", "back.up(1)", "back.click"}));
    EXPECT_FLOAT_EQ(last.x, 2250);
}

TEST_F(SurfaceTest, ADisabledElementPassesTheMouseToItsContainer) {
    test::ClickAt(board.Hwnd(), 150, 80);
    EXPECT_EQ(log, (Log{"surface.down(1)", "surface.up(1)", "surface.click"}));
}

TEST_F(SurfaceTest, TheReleaseGoesToThePressedElementAndOutsideMakesNoClick) {
    test::MoveTo(board.Hwnd(), 40, 30);
    test::LeftDown();
    test::MoveTo(board.Hwnd(), 150, 20); // over the picture
    test::MoveTo(board.Hwnd(), 400, 300); // outside the control
    test::LeftUp();
    EXPECT_EQ(log, (Log{"left.down(1)", "left.up(1)"}));
    EXPECT_GT(last.x, 3000); // relative to the label, beyond the control
}

TEST_F(SurfaceTest, APressWhoseMouseIsTakenAwayIsCancelledAndItsReleaseIgnored) {
    test::MoveTo(board.Hwnd(), 40, 30);
    test::LeftDown();
    test::TakeCaptureAway();
    test::LeftUp();
    EXPECT_EQ(log, (Log{"left.down(1)", "left.cancelled"}));
    EXPECT_EQ(board.Elements().Captured(), nullptr);
}

TEST_F(SurfaceTest, TheRightButtonRaisesDownAndUpButNoClick) {
    test::MoveTo(board.Hwnd(), 40, 30);
    test::RightDown();
    test::RightUp();
    EXPECT_EQ(log, (Log{"left.down(2)", "left.up(2)"}));
}

TEST_F(SurfaceTest, TheSecondPressOfADoubleClickIsADoubleClickOnly) {
    test::MoveTo(board.Hwnd(), 40, 30);
    test::LeftDown();
    test::LeftUp();
    test::LeftDown();
    test::LeftUp();
    EXPECT_EQ(log, (Log{"left.down(1)", "left.up(1)", "left.click", "left.dblclick", "left.up(1)"}));
}
