// A job on a thread of its own while the caller goes on (on Windows through CreateThread, which
// every system from XP on has). Used to check checksums while the copy runs.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <memory>

namespace zendra {

class Worker {
  public:
    // Starts the job; when no thread can be started, runs it here and now.
    explicit Worker(std::function<void()> job);
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    // Waits for the job: it must not outlive what it reads.
    ~Worker();
    // Waits for the job and throws what it threw.
    void Finish();
    // The thread's body: runs the job and keeps what it throws.
    static void RunJob(Worker& worker) noexcept;

  private:
    struct Thread;
    void Wait() noexcept;

    std::function<void()> job_;
    std::exception_ptr failure_;
    std::unique_ptr<Thread> thread_;
};

// Raises a job's stop flag when it goes out of scope, however that happens: an operation that
// fails or is cancelled ends the job beside it too.
struct StopOnExit {
    std::atomic<bool>& stop;
    ~StopOnExit() { stop = true; }
};

} // namespace zendra
