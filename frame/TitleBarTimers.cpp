// The bar's pollers: which look it shows, decided by polling the active window and the window
// under the pointer, and the one-time capture of the host's start-up geometry.
#include "TitleBar.h"

#include "FrameHost.h"
#include "Skipping.h"

#include <windowsx.h>

namespace zendra {

bool TitleBar::HostIsActive() const noexcept {
    return hostWindow_ != nullptr && GetActiveWindow() == hostWindow_;
}

bool TitleBar::PointerOverButtons() const noexcept {
    HWND group = Picture1.Hwnd();
    if (group == nullptr) return false;
    // First the pointer position the tick's own message carries: reading it costs nothing,
    // where GetCursorPos costs an idle program more than all its timers together. It can only
    // be out of date while the pointer is away from the program's windows, and then it still
    // lies where the pointer left them, so a position on the group is confirmed with the
    // pointer itself. Another window covering the group counts as off the buttons.
    const DWORD carried = GetMessagePos();
    POINT pointer{GET_X_LPARAM(carried), GET_Y_LPARAM(carried)};
    RECT place{};
    if (!GetWindowRect(group, &place) || !PtInRect(&place, pointer)) return false;
    if (WindowFromPoint(pointer) != group) return false;
    return GetCursorPos(&pointer) && WindowFromPoint(pointer) == group;
}

void TitleBar::OnActivityWatch() {
    // Start only a stopped poller: starting a running one restarts its interval, and the 1 ms
    // watcher would then hold the 10 ms pollers off for ever.
    if (HostIsActive()) {
        if (!Timer2.Enabled()) Timer2.SetEnabled(true);
    } else {
        if (!InActCheck.Enabled()) InActCheck.SetEnabled(true);
        Timer2.SetEnabled(false);
    }
}

void TitleBar::OnInactivePoll() {
    const FramePictures& p = pictures_;
    if (HostIsActive()) {
        // Back to the active look once (normal buttons, whatever their flags); the hover poller
        // takes the buttons from here.
        ShowActiveLook();
        InActCheck.SetEnabled(false);
        return;
    }
    ShowLook(p.tLeft2, p.tMid2, p.tRight2, p.Dis2, p.Dis2, p.Dis2);
}

void TitleBar::OnHoverPoll() {
    if (ButtonDown_) return; // a held button keeps its pressed picture
    const FramePictures& p = pictures_;
    const bool over = PointerOverButtons();
    X2.SetPicture(!Xen ? p.Dis : over ? p.Xover : p.X1);
    Min2.SetPicture(!Minen ? p.Dis : over ? p.Minover : p.Min);
    Zoom2.SetPicture(!Zoomen ? p.Dis : over ? p.Zoomover : p.Zoom);
}

void TitleBar::OnCaptureGeometry() {
    const FrameHost host = Host();
    tk::Skipping([&] { SavedHeight = host.Height(); });
    tk::Skipping([&] { SavedWidth = host.Width(); });
    tk::Skipping([&] { SavedTop = host.Top(); });
    tk::Skipping([&] { SavedLeft = host.Left(); });
    Zoomed_ = false;
    Timer3.SetEnabled(false);
}

} // namespace zendra
