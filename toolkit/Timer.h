// A timer of a window: an interval in milliseconds and an enabled flag. Enabling a timer (also one
// that runs already) starts its interval anew; an interval of 0 never ticks, the flag is still
// kept. A WM_TIMER that arrives after the timer was stopped is ignored.
#pragma once

#include "Event.h"

namespace zendra::tk {

class Window;

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

private:
    friend class Window;
    void Apply();
    void Fire();

    Window* owner_;
    unsigned interval_;
    bool enabled_;
    bool running_ = false; // a system timer is set
};

} // namespace zendra::tk
