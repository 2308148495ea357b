#include "io/ProgressPasses.h"

#include <algorithm>

namespace zendra {

Progress ProgressPasses::Next(double share) {
    if (!progress_ || length_ == 0) return progress_;
    const std::uint64_t from = shown_;
    return [this, from, share](std::uint64_t done, std::uint64_t total) {
        const double part = total == 0 ? 1.0 : std::min(1.0, double(done) / double(total));
        shown_ = std::max(shown_, from + std::uint64_t(part * share * double(length_ - from)));
        return progress_(shown_, length_);
    };
}

} // namespace zendra
