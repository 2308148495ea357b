// Progress on a window's taskbar button, where the system offers it (Windows 7 and later). Found
// at run time through COM, so that the program still starts and works on older systems, where
// every call does nothing.
#pragma once

#include "base/SystemHandles_win.h"

#include <windows.h>

#include <cstdint>

struct ITaskbarList3;

namespace zendra {

class TaskbarProgress {
  public:
    // `window` is the window whose taskbar button shows the progress.
    explicit TaskbarProgress(HWND window) noexcept;
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;
    // Takes the progress off the button.
    ~TaskbarProgress() noexcept;

    bool Available() const noexcept { return static_cast<bool>(list_); }
    void Set(std::uint64_t done, std::uint64_t total) noexcept;

  private:
    HWND window_;
    bool comStarted_ = false;
    ComPtr<ITaskbarList3> list_;
};

} // namespace zendra
