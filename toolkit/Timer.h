// A timer of a window: an interval in milliseconds and an enabled flag. Enabling a timer (also one
// that runs already) starts its interval anew; an interval of 0 never ticks, the flag is still
// kept. A WM_TIMER that arrives after the timer was stopped is ignored.
#pragma once

#include "Event.h"

#include <windows.h>

namespace zendra::tk {

class Window;

// What starts and stops the system timers behind Timer objects (SetTimer and KillTimer unless a
// test puts a clock of its own in): a due timer is a WM_TIMER with the Timer's id to its window.
class TimerClock {
  public:
    virtual bool Set(HWND window, UINT_PTR id, unsigned intervalMs) = 0;
    virtual void Kill(HWND window, UINT_PTR id) = 0;

  protected:
    ~TimerClock() = default;
};

class Timer {
  public:
    explicit Timer(Window& owner, unsigned intervalMs = 0, bool enabled = false);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer() noexcept;

    unsigned Interval() const noexcept { return interval_; }
    void SetInterval(unsigned ms);
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);

    Event<> Tick;

    // Timers started from now on run by `clock` (nullptr: the system's); each running timer is
    // stopped by the clock that started it.
    static void UseClock(TimerClock* clock) noexcept;

  private:
    friend class Window;
    void Apply();
    void Fire();

    Window* owner_;
    unsigned interval_;
    bool enabled_;
    bool running_ = false; // a system timer is set
    TimerClock* setBy_ = nullptr;
};

} // namespace zendra::tk
