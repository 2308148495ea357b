#include "FrameTestSupport.h"

#include <gtest/gtest.h>

#include <thread>

using namespace zendra;
using namespace zendra::test;

namespace {

constexpr WPARAM kMoveByCaption = 0xF012;

struct DragTest : ::testing::Test {
    void SetUp() override {
        tk::Form::SetOnLastUnloaded([] {});
        SetCursorPos(1270, 1010);
    }
    // Presses and releases a button at a client point of the host; the system commands it caused.
    static std::vector<WPARAM> PressAt(BarHost& host, int x, int y, DWORD down, DWORD up) {
        host.sysCommands.clear();
        MoveTo(host.Hwnd(), x, y);
        Button(down);
        Button(up); // every press lies elsewhere: none is a double click
        return host.sysCommands;
    }
};

using Commands = std::vector<WPARAM>;

} // namespace

TEST_F(DragTest, AnyButtonPressedOnTheBarOutsideTheGroupStartsTheSystemMove) {
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    host.Show();
    const Commands move{kMoveByCaption};
    EXPECT_EQ(PressAt(host, 200, 5, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP), move);
    EXPECT_EQ(PressAt(host, 66, 40, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP), move);
    EXPECT_EQ(PressAt(host, 441, 50, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP), move);
    EXPECT_EQ(PressAt(host, 222, 9, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP), move); // on the caption
}

TEST_F(DragTest, APressInsideTheButtonGroupDoesNotMoveTheWindow) {
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    host.Show();
    host.Bar().SetZoomEnabled(false); // a disabled button is no drag surface either
    const Commands none;
    EXPECT_EQ(PressAt(host, 25, 11, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP), none);  // between buttons
    EXPECT_EQ(PressAt(host, 30, 45, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP), none);  // below them
    EXPECT_EQ(PressAt(host, 64, 50, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP), none); // last column
    EXPECT_EQ(PressAt(host, 57, 11, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP), none);
    EXPECT_EQ(PressAt(host, 200, 150, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP), none); // the body
}

TEST_F(DragTest, TheTigerDragsFromItsSlimBar) {
    BarHost host(MakeTiger(), 100, 100, 232, 150);
    host.Show();
    EXPECT_EQ(PressAt(host, 65, 20, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP), Commands{kMoveByCaption});
    EXPECT_EQ(PressAt(host, 30, 20, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP), Commands{});
    EXPECT_EQ(PressAt(host, 100, 30, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP), Commands{}); // under the bar
}

TEST_F(DragTest, TheSystemMoveLoopMovesTheWindowWithThePointer) {
    BarHost host(MakeLeopard(), 100, 100, 444, 319);
    host.runMoveLoop = true;
    host.Show();
    MoveTo(host.Hwnd(), 200, 20);
    // The move loop runs inside the press; another thread moves the pointer once it runs and
    // lets go.
    std::thread hand([&] {
        WaitUntil([&] { return host.moving.load(); });
        for (int step = 1; step <= 10; ++step) {
            INPUT input{};
            input.type = INPUT_MOUSE;
            input.mi.dx = 6;
            input.mi.dy = 4;
            input.mi.dwFlags = MOUSEEVENTF_MOVE;
            SendInput(1, &input, sizeof(input));
        }
        INPUT up{};
        up.type = INPUT_MOUSE;
        up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(1, &up, sizeof(up));
    });
    LeftDown();
    hand.join();
    PumpUntil([&] { return host.Left() == tk::PixelsToTwips(160); });
    RECT r{};
    GetWindowRect(host.Hwnd(), &r);
    EXPECT_EQ(host.sysCommands, Commands{kMoveByCaption});
    EXPECT_EQ(r.left, 160);
    EXPECT_EQ(r.top, 140);
    EXPECT_EQ(host.Left(), tk::PixelsToTwips(160)); // the form knows where it went
}
