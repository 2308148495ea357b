#include "recovery/Pool.h"

#include "io/Worker.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace zendra::par2 {
namespace {

std::atomic<std::uint64_t> threadsStarted{0};
// Whether this thread is running a part: a run asked for inside one runs on this thread alone,
// as the pool's threads may all be waiting on the run around it.
thread_local bool inPart = false;

} // namespace

Pool& Pool::Shared() {
    // Never destroyed: its threads wait for work until the process ends. Waiting for them at exit
    // could hang (on Windows the system has ended them by then, holding the loader's lock).
    static Pool* const pool =
        new Pool(std::max(1u, std::thread::hardware_concurrency()) - 1);
    return *pool;
}

std::uint64_t Pool::ThreadsStarted() noexcept {
    return threadsStarted;
}

Pool::Pool(std::size_t threads) {
    for (std::size_t t = 0; t < threads; ++t)
        threads_.push_back(std::make_unique<Worker>([this](const std::atomic<bool>&) {
            // Given no thread, the job runs inside Worker's constructor: the caller's thread
            // then takes the parts this one would have.
            if (Worker::RunsInline()) return;
            ++threadsStarted;
            Serve();
        }));
}

void Pool::Run(std::size_t parts, const std::function<void(std::size_t)>& task) {
    if (parts == 0) return;
    if (inPart) {
        for (std::size_t part = 0; part < parts; ++part)
            task(part);
        return;
    }
    const std::lock_guard run(runMutex_);
    std::unique_lock lock(mutex_);
    task_ = &task;
    parts_ = parts;
    next_ = ended_ = 0;
    failure_ = nullptr;
    ++generation_;
    changed_.notify_all();
    Work(lock);
    changed_.wait(lock, [&] { return ended_ == parts_; });
    task_ = nullptr;
    if (failure_) std::rethrow_exception(failure_);
}

void Pool::Work(std::unique_lock<std::mutex>& lock) noexcept {
    while (task_ && next_ < parts_) {
        const std::size_t part = next_++;
        const auto* task = task_;
        lock.unlock();
        std::exception_ptr failed;
        inPart = true;
        try {
            (*task)(part);
        } catch (...) {
            failed = std::current_exception();
        }
        inPart = false;
        lock.lock();
        if (failed && !failure_) failure_ = failed;
        if (++ended_ == parts_) changed_.notify_all();
    }
}

void Pool::Serve() noexcept {
    std::unique_lock lock(mutex_);
    std::uint64_t seen = generation_;
    for (;;) {
        changed_.wait(lock, [&] { return generation_ != seen; });
        seen = generation_;
        Work(lock);
    }
}

} // namespace zendra::par2
