// One progress over a run that reads its data in several passes (a check, a rebuild, a copy),
// each pass told as it goes: the count never goes back nor past the end, and every pass moves it.
#pragma once

#include "io/Progress.h"

#include <cstdint>

namespace zendra {

class ProgressPasses {
  public:
    // `length`: what the user is shown as the whole (the joined file's bytes, say); with 0, each
    // pass reports straight to `progress`.
    ProgressPasses(const Progress& progress, std::uint64_t length)
        : progress_(progress), length_(length) {}
    ProgressPasses(const ProgressPasses&) = delete;
    ProgressPasses& operator=(const ProgressPasses&) = delete;
    // The next pass, which takes `share` of what is left (1: all of it). Lives no longer than this.
    Progress Next(double share);

  private:
    const Progress& progress_;
    std::uint64_t length_;
    std::uint64_t shown_ = 0;
};

} // namespace zendra
