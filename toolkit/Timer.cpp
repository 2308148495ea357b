#include "Timer.h"

#include "Window.h"

#include <algorithm>

namespace zendra::tk {

namespace {

class SystemClock final : public TimerClock {
  public:
    bool Set(HWND window, UINT_PTR id, unsigned intervalMs) override {
        return SetTimer(window, id, intervalMs, nullptr) != 0;
    }
    void Kill(HWND window, UINT_PTR id) override { KillTimer(window, id); }
};

SystemClock systemClock;
TimerClock* chosen = &systemClock;

} // namespace

void Timer::UseClock(TimerClock* newClock) noexcept {
    chosen = newClock != nullptr ? newClock : &systemClock;
}

Timer::Timer(Window& owner, unsigned intervalMs, bool enabled)
    : owner_(&owner), interval_(intervalMs), enabled_(enabled) {
    owner_->timers_.push_back(this);
    Apply();
}

Timer::~Timer() noexcept {
    if (owner_ == nullptr) return;
    if (running_ && owner_->Hwnd() != nullptr)
        setBy_->Kill(owner_->Hwnd(), reinterpret_cast<UINT_PTR>(this));
    auto& timers = owner_->timers_;
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

void Timer::SetInterval(unsigned ms) {
    interval_ = ms;
    Apply();
}

void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Apply();
}

void Timer::Apply() {
    HWND hwnd = owner_ != nullptr ? owner_->Hwnd() : nullptr;
    if (hwnd == nullptr) return; // started when the window is created
    const auto id = reinterpret_cast<UINT_PTR>(this);
    if (enabled_ && interval_ > 0) {
        // Setting an existing id replaces it, which restarts the interval.
        if (running_ && setBy_ != chosen) setBy_->Kill(hwnd, id);
        setBy_ = chosen;
        running_ = chosen->Set(hwnd, id, interval_);
    } else if (running_) {
        setBy_->Kill(hwnd, id);
        running_ = false;
    }
}

void Timer::Fire() {
    if (!enabled_ || interval_ == 0 || !running_) return;
    Tick();
}

} // namespace zendra::tk
