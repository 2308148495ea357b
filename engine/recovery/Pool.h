// The threads that share the recovery data's work (its arithmetic, and the reading and hashing
// beside it): started once, the first time they are asked for, and kept for the program's life, so
// that no thread is started per batch of slices. A stop reaches the work as it reaches the rest of
// the run: between batches, through the caller's progress.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace zendra {

class Worker;

namespace par2 {

class Pool {
  public:
    // The program's pool: one thread fewer than the processors (the caller's is the last).
    static Pool& Shared();
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;
    // Runs task(0) ... task(parts - 1) on the pool's threads and the caller's, each part taken by
    // the first thread free, lowest first; returns when all have ended, throwing what the first
    // failing part threw. One run at a time: a second caller waits for the first, and a run asked
    // for inside a part runs its parts in turn on that part's thread.
    void Run(std::size_t parts, const std::function<void(std::size_t part)>& task);
    // How many threads share a run: the pool's and the caller's.
    std::size_t Threads() const noexcept { return threads_.size() + 1; }
    // How many threads any pool has started since the program began (for the tests).
    static std::uint64_t ThreadsStarted() noexcept;

  private:
    explicit Pool(std::size_t threads);
    void Serve() noexcept;
    // Takes parts of the current run until none is left.
    void Work(std::unique_lock<std::mutex>& lock) noexcept;

    std::mutex runMutex_; // one run at a time
    std::mutex mutex_;
    std::condition_variable changed_;
    const std::function<void(std::size_t)>* task_ = nullptr;
    std::size_t parts_ = 0, next_ = 0, ended_ = 0;
    std::uint64_t generation_ = 0;
    std::exception_ptr failure_;
    std::vector<std::unique_ptr<Worker>> threads_;
};

} // namespace par2
} // namespace zendra
