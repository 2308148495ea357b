// The message box and the open-file dialog of the program's windows, owned by the window that
// shows them: modal to it (disabled while they wait) whichever window was active when they
// opened, even when the user had switched to another program during a long split or join.
#pragma once

#include "Services.h"

#include <windows.h>

#include <memory>

namespace zendra {

// The window that owns the boxes; before it has a handle (start-up) they have no owner.
class BoxOwner {
  public:
    void Set(HWND window) noexcept { window_ = window; }
    HWND Get() const noexcept { return IsWindow(window_) ? window_ : nullptr; }

  private:
    HWND window_ = nullptr;
};

std::unique_ptr<tk::IMessageBox> MakeOwnedMessageBox(const BoxOwner& owner);
std::unique_ptr<tk::IFileDialog> MakeOwnedFileDialog(const BoxOwner& owner);

} // namespace zendra
