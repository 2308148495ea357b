#include "TestSupport.h"
#include "Timer.h"

#include <gtest/gtest.h>

using namespace zendra;
using namespace zendra::tk;

namespace {

class TimerHost : public Form {
public:
    TimerHost() : Form(L"timers", 1500, 1500) {}
};

struct TimerTest : ::testing::Test {
    void SetUp() override {
        Form::SetOnLastUnloaded([] {});
        host.Load();
    }
    TimerHost host;
};

} // namespace

TEST_F(TimerTest, TicksAtItsIntervalWhileEnabled) {
    Timer timer(host, 20, true);
    int ticks = 0;
    timer.Tick.Handle([&] { ++ticks; });
    EXPECT_TRUE(test::PumpUntil([&] { return ticks >= 4; }));
    timer.SetEnabled(false);
    const int stopped = ticks;
    test::Pump(100);
    EXPECT_EQ(ticks, stopped);
}

TEST_F(TimerTest, IntervalZeroNeverTicksButKeepsTheFlag) {
    Timer timer(host, 0, true);
    int ticks = 0;
    timer.Tick.Handle([&] { ++ticks; });
    test::Pump(100);
    EXPECT_EQ(ticks, 0);
    EXPECT_TRUE(timer.Enabled());
}

TEST_F(TimerTest, ALateTickAfterStopIsIgnored) {
    Timer timer(host, 1000, true);
    int ticks = 0;
    timer.Tick.Handle([&] { ++ticks; });
    timer.SetEnabled(false);
    // A WM_TIMER already queued when the timer stopped.
    PostMessageW(host.Hwnd(), WM_TIMER, reinterpret_cast<WPARAM>(&timer), 0);
    test::Pump(50);
    EXPECT_EQ(ticks, 0);
}

TEST_F(TimerTest, EnablingARunningTimerRestartsItsInterval) {
    test::TestClock clock;
    clock.Use();
    Timer timer(host, 150, true);
    int ticks = 0;
    timer.Tick.Handle([&] { ++ticks; });
    for (int i = 0; i < 6; ++i) {
        clock.Advance(100);
        timer.SetEnabled(true); // every 100 ms: the 150 ms never run out
    }
    EXPECT_EQ(ticks, 0);
    clock.Advance(150);
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, ATimerEnabledBeforeItsWindowExistsStartsWithIt) {
    TimerHost later;
    Timer timer(later, 10, true);
    int ticks = 0;
    timer.Tick.Handle([&] { ++ticks; });
    test::Pump(50);
    EXPECT_EQ(ticks, 0);
    later.Load();
    EXPECT_TRUE(test::PumpUntil([&] { return ticks > 0; }));
}
