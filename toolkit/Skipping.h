// A step of a handler that may fail without stopping the ones after it (as the forms' load and
// resize handlers run): what it skips is written to the debugger's output, never lost unseen.
#pragma once

#include "Window.h"

namespace zendra::tk {

template <typename Step> void Skipping(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
        // Skipping is what the caller asked for; the step's failure is kept for the debugger.
        ReportCurrentException(L"a skipped step");
    }
}

} // namespace zendra::tk
