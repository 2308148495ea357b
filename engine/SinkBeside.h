// Shows a copy's bytes to its sink (the hashing) on a thread of its own while the same buffer is
// written, so that the hashing runs on the other processor beside the write. Short runs, and
// those the system gives no thread for, are shown on the caller's thread.
#pragma once

#include "File.h"
#include "Worker.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>

namespace zendra {

class SinkBeside {
  public:
    // For a copy of `count` bytes; an empty `sink` shows nothing.
    SinkBeside(const ByteSink& sink, std::uint64_t count);
    SinkBeside(const SinkBeside&) = delete;
    SinkBeside& operator=(const SinkBeside&) = delete;
    // Stops the thread once the bytes being shown are done; nothing more is shown.
    ~SinkBeside();

    // Starts showing `bytes`, which must stay as they are until Done returns.
    void Show(const std::uint8_t* bytes, std::size_t count);
    // Waits until the bytes shown last were seen, and throws what the sink threw.
    void Done();

  private:
    void Serve() noexcept;

    const ByteSink& sink_;
    std::mutex mutex_;
    std::condition_variable changed_;
    const std::uint8_t* bytes_ = nullptr;
    std::size_t count_ = 0;
    bool pending_ = false;
    bool closing_ = false;
    bool here_ = false;
    std::exception_ptr failure_;
    std::optional<Worker> worker_;
};

} // namespace zendra
