#pragma once

#include <cstdint>
#include <functional>

#include "base/Failure.h"

namespace zendra {

// Told how many of the operation's bytes are done so far, and how many there are in all; returns
// false to cancel. A cancelled operation cleans up as a failed one does; inside the engine the
// cancel travels as a Failure of kind Cancelled. The caller knows it asked to stop.
using Progress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

} // namespace zendra
