#include "io/JobQueue.h"

#include <atomic>
#include <thread>

namespace zendra {
namespace {

std::atomic<std::chrono::milliseconds::rep> held{0};

} // namespace

void JobQueue::HoldJobs(std::chrono::milliseconds hold) noexcept {
    held = hold.count();
}

JobQueue::JobQueue() {
    // Without a thread the jobs run as they are posted: nobody could post to a job waiting here.
    worker_.emplace([this](const std::atomic<bool>&) {
        if (Worker::RunsInline())
            here_ = true;
        else
            Serve();
    });
}

JobQueue::~JobQueue() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
        jobs_.clear();
    }
    changed_.notify_all();
    // worker_ then waits for the thread to end.
}

void JobQueue::Post(std::function<void()> job) {
    if (here_) {
        try {
            job();
        } catch (...) {
            if (!failure_) failure_ = std::current_exception();
        }
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    changed_.notify_all();
}

bool JobQueue::Hint(std::function<void()> job) {
    {
        const std::lock_guard lock(mutex_);
        if (!jobs_.empty()) return false;
    }
    Post(std::move(job));
    return true;
}

void JobQueue::Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return jobs_.empty() && !busy_; });
    if (failure_) std::rethrow_exception(failure_);
}

void JobQueue::Drop() noexcept {
    std::unique_lock lock(mutex_);
    jobs_.clear();
    changed_.wait(lock, [this] { return !busy_; });
}

void JobQueue::Serve() noexcept {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return closing_ || !jobs_.empty(); });
        if (closing_) return;
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
        lock.unlock();
        // A slow disk: the job (a flush) ends late, holding what it holds until then.
        if (const auto hold = held.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(hold));
        std::exception_ptr failed;
        try {
            job();
        } catch (...) {
            failed = std::current_exception();
        }
        job = nullptr; // what it held is let go before it counts as done
        lock.lock();
        if (failed && !failure_) failure_ = failed;
        busy_ = false;
        changed_.notify_all();
    }
}

} // namespace zendra
