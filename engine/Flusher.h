// Runs the write-back and the flushes of a run's new files on a thread of its own, in the order
// asked, so that the copy goes on while the system writes to the disk and submitting that work
// costs the copy nothing: the flush before the renames then finds little left to wait for.
#pragma once

#include "Worker.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>

namespace zendra {

class Flusher {
  public:
    Flusher();
    Flusher(const Flusher&) = delete;
    Flusher& operator=(const Flusher&) = delete;
    // Drops what was not begun: a run that ends early has nothing to get onto the disk.
    ~Flusher();

    // Runs `job` on the thread after the jobs posted before it (here and now when the system gave
    // no thread). What it throws comes out of Wait.
    void Post(std::function<void()> job);
    // The same for a job that may be left out, as it is while others wait (then false): a hint to
    // the system must not pile up (each holds a file open) behind a disk slower than the copy.
    bool Hint(std::function<void()> job);
    // Waits until every job posted has run, and throws what the first failing one threw.
    void Wait();

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
