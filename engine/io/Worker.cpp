#include "io/Worker.h"

#include <utility>

namespace zendra {
namespace {

thread_local bool runningInline = false;

} // namespace

void Worker::RunJob(Worker& worker) noexcept {
    try {
        worker.job_(worker.stop_);
    } catch (...) {
        worker.failure_ = std::current_exception();
        worker.failed_ = true;
    }
}

void Worker::RunHere() noexcept {
    const bool outer = std::exchange(runningInline, true);
    RunJob(*this);
    runningInline = outer;
}

bool Worker::RunsInline() noexcept { return runningInline; }

void Worker::Finish() {
    Wait();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void Worker::Finish(const std::function<void()>& meanwhile) {
    do
        meanwhile();
    while (!Ended(50));
    Finish();
}

} // namespace zendra
