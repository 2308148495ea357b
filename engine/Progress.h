#pragma once

#include <cstdint>
#include <functional>

namespace zendra {

// Told how many of the operation's bytes are done so far, and how many there are in all; returns
// false to cancel. A cancelled operation cleans up as a failed one does and returns false with
// CancelledMessage as its message, so that callers can tell a cancel from a failure.
using Progress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

inline constexpr char CancelledMessage[] = "Cancelled.";

} // namespace zendra
