// The one way a failure travels from the engine to the window and the tool: its kind, and the
// sentence the user reads (naming the user's file, with the system's own text for an I/O error).
#pragma once

#include <stdexcept>
#include <string>

namespace zendra {

enum class FailureKind {
    Refused,   // input or a state the operation will not work with; said before anything is lost
    Io,        // the system refused a read, write, flush, rename, removal or listing
    Cancelled, // the caller's progress hook asked to stop (a click, or a signal in the tool)
};

inline constexpr char CancelledMessage[] = "Cancelled.";

class Failure : public std::runtime_error {
  public:
    explicit Failure(const std::string& message, FailureKind kind = FailureKind::Refused)
        : std::runtime_error(message), kind_(kind) {}
    static Failure Cancelled() { return Failure(CancelledMessage, FailureKind::Cancelled); }
    FailureKind Kind() const noexcept { return kind_; }

  private:
    FailureKind kind_;
};

} // namespace zendra
