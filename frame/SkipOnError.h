// The frame's handlers skip a statement that fails and carry on with the next one; nothing is
// reported. Each such statement runs through SkipOnError.
#pragma once

namespace zendra {

template <typename Step> void SkipOnError(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
        // Skipped on purpose: the next statement runs regardless.
    }
}

} // namespace zendra
