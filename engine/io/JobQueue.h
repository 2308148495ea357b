// Runs jobs on a thread of its own, in the order asked, while the caller goes on: a run's
// write-back and flushes of its new files (the flush before the renames then finds little left to
// wait for), and a copy's hashing of each buffer beside the buffer's write.
#pragma once

#include "io/Worker.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>

namespace zendra {

class JobQueue {
  public:
    JobQueue();
    JobQueue(const JobQueue&) = delete;
    JobQueue& operator=(const JobQueue&) = delete;
    // Drops what was not begun: a run that ends early has nothing to get onto the disk.
    ~JobQueue();

    // Runs `job` on the thread after the jobs posted before it (here and now when the system gave
    // no thread). What it throws comes out of Wait.
    void Post(std::function<void()> job);
    // The same for a job that may be left out, as it is while others wait (then false): a
    // write-back hint to the system must not pile up (each holds a file open) behind a disk slower
    // than the copy.
    bool Hint(std::function<void()> job);
    // Waits until every job posted has run, and throws what the first failing one threw.
    void Wait();
    // Drops the jobs not begun and waits for the one running: what they held (a file's handle) is
    // let go when this returns.
    void Drop() noexcept;
    // For tests: every job from now on waits this long before it runs, keeping what it holds (a
    // file's handle), so that it ends that much later, as a slow disk's flush would; zero ends it.
    static void HoldJobs(std::chrono::milliseconds hold) noexcept;

  private:
    void Serve() noexcept;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    bool busy_ = false;
    bool closing_ = false;
    bool here_ = false;
    std::exception_ptr failure_;
    std::optional<Worker> worker_;
};

} // namespace zendra
