#include "SinkBeside.h"

#include <utility>

namespace zendra {

namespace {

// Below this a thread costs more than it saves (a split into thousands of small pieces).
constexpr std::uint64_t kThreadFrom = 8 << 20;

} // namespace

SinkBeside::SinkBeside(const ByteSink& sink, std::uint64_t count) : sink_(sink) {
    here_ = !sink_ || count < kThreadFrom;
    if (here_) return;
    worker_.emplace([this](const std::atomic<bool>&) {
        if (Worker::RunsInline())
            here_ = true;
        else
            Serve();
    });
}

SinkBeside::~SinkBeside() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    // worker_ then waits for the thread to end.
}

void SinkBeside::Show(const std::uint8_t* bytes, std::size_t count) {
    if (here_) {
        if (sink_) sink_(bytes, count);
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        bytes_ = bytes;
        count_ = count;
        pending_ = true;
    }
    changed_.notify_all();
}

void SinkBeside::Done() {
    if (here_) return;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !pending_; });
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void SinkBeside::Serve() noexcept {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return closing_ || pending_; });
        if (closing_) return;
        lock.unlock();
        std::exception_ptr failed;
        try {
            sink_(bytes_, count_);
        } catch (...) {
            failed = std::current_exception();
        }
        lock.lock();
        if (failed && !failure_) failure_ = failed;
        pending_ = false;
        changed_.notify_all();
    }
}

} // namespace zendra
