#include "io/Stop.h"

#include "base/Failure.h"

#include <atomic>

namespace zendra {
namespace {

// Lock-free, so that a signal handler may store into it.
std::atomic<int> requested{0};
static_assert(std::atomic<int>::is_always_lock_free);

} // namespace

void RequestStop(int code) noexcept {
    requested.store(code);
}

int StopRequested() noexcept {
    return requested.load();
}

void ForgetStopRequest() noexcept {
    requested.store(0);
}

void ThrowIfStopRequested() {
    if (requested.load() != 0) throw Failure::Cancelled();
}

} // namespace zendra
