// A job on a thread of its own while the caller goes on (on Windows through CreateThread, which
// every system from XP on has): the job queue's thread, the recovery data's arithmetic beside its
// hashing, and the window's long work.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <memory>

namespace zendra {

class Worker {
  public:
    // The job is handed a flag raised when the worker ends before it does: it should stop soon.
    using Job = std::function<void(const std::atomic<bool>& stop)>;
    // Starts the job; when no thread can be started, runs it here and now.
    explicit Worker(Job job);
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    // Raises the stop flag and waits for the job: it must not outlive what it reads. An operation
    // that fails or is cancelled so ends the job beside it too.
    ~Worker();
    // Whether the job has ended by throwing; Finish then throws what it threw.
    bool Failed() const noexcept { return failed_; }
    // Waits for the job and throws what it threw.
    void Finish();
    // The same, but asks `meanwhile` first and again about every 50 ms until the job ends, so that
    // a cancel is still heard while the job lags behind its caller: what `meanwhile` throws ends
    // the wait (and, once the worker is destroyed, the job).
    void Finish(const std::function<void()>& meanwhile);
#ifdef _WIN32
    // The thread's handle (a HANDLE), signalled when the job has ended, for a caller that waits
    // for it beside other things, such as a window's messages; null when the job ran here and now
    // or has been waited for. The worker keeps owning it.
    void* ThreadHandle() const noexcept;
#endif
    // The thread's body: runs the job and keeps what it throws.
    static void RunJob(Worker& worker) noexcept;
    // Whether the job asking was given no thread and runs here and now, inside its Worker's
    // constructor: a job that waits for work from its caller must not wait then.
    static bool RunsInline() noexcept;

  private:
    struct Thread;
    // RunJob on the caller's thread, when the system gives none.
    void RunHere() noexcept;
    void Wait() noexcept;
    // Whether the job has ended within `milliseconds`.
    bool Ended(unsigned milliseconds) noexcept;

    Job job_;
    std::atomic<bool> stop_ = false;
    std::atomic<bool> failed_ = false;
    std::exception_ptr failure_;
    std::unique_ptr<Thread> thread_;
};

} // namespace zendra
