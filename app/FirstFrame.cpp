#include "FirstFrame.h"

#include "Skipping.h"

#include <utility>

namespace zendra {

void FirstFrame::Hold(HWND window, ucShadow& shadow) noexcept {
    if (!GetLayeredWindowAttributes(window, &key_, &alpha_, &flags_) ||
        !SetLayeredWindowAttributes(window, key_, 0, flags_ | LWA_ALPHA))
        return;
    window_ = window;
    shadow_ = &shadow;
    tk::Skipping([&] { shadow.SetVisible(false); });
    PostMessageW(window, kRevealMessage, 0, 0);
}

void FirstFrame::Reveal() noexcept {
    const HWND window = std::exchange(window_, nullptr);
    if (window == nullptr) return;
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Wine hands a window's painted bits to the X server when its thread waits for messages: a
    // wait of no time, and the compositor has every control's bits before the window shows.
    MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, 0);
    SetLayeredWindowAttributes(window, key_, alpha_, flags_);
    // After the window, as a shadow stands on the screen only beside its window.
    tk::Skipping([&] { shadow_->SetVisible(true); });
}

} // namespace zendra
