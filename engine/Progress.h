#pragma once

#include <cstdint>
#include <functional>

namespace zendra {

// Told how many of the operation's bytes are done so far, and how many there are in all.
using Progress = std::function<void(std::uint64_t done, std::uint64_t total)>;

} // namespace zendra
