#include "Timer.h"

#include "Window.h"

#include <algorithm>

namespace zendra::tk {

Timer::Timer(Window& owner, unsigned intervalMs, bool enabled)
    : owner_(&owner), interval_(intervalMs), enabled_(enabled) {
    owner_->timers_.push_back(this);
    Apply();
}

Timer::~Timer() noexcept {
    if (owner_ == nullptr) return;
    if (running_ && owner_->Hwnd() != nullptr)
        KillTimer(owner_->Hwnd(), reinterpret_cast<UINT_PTR>(this));
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
        running_ = SetTimer(hwnd, id, interval_, nullptr) != 0;
    } else if (running_) {
        KillTimer(hwnd, id);
        running_ = false;
    }
}

void Timer::Fire() {
    if (!enabled_ || interval_ == 0 || !running_) return;
    Tick();
}

} // namespace zendra::tk
