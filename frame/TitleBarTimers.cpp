// The bar's pollers: which look it shows, decided by polling the active window and the window
// under the pointer, and the one-time capture of the host's start-up geometry.
#include "TitleBar.h"

#include "FrameHost.h"
#include "SkipOnError.h"

namespace zendra {

bool TitleBar::HostIsActive() const noexcept {
    return hostWindow_ != nullptr && GetActiveWindow() == hostWindow_;
}

bool TitleBar::PointerOverButtons() const noexcept {
    POINT pointer{};
    if (Picture1.Hwnd() == nullptr || !GetCursorPos(&pointer)) return false;
    // Another window covering the group under the pointer counts as off the buttons.
    return WindowFromPoint(pointer) == Picture1.Hwnd();
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
        // Back to the active look once; the hover poller takes the buttons from here.
        Show(tLeft, p.tLeft3);
        Show(tMid, p.tMid3);
        Show(Image2, p.tMid3);
        Show(tRight, p.tRight3);
        Show(X2, p.X1);
        Show(Min2, p.Min);
        Show(Zoom2, p.Zoom);
        InActCheck.SetEnabled(false);
        return;
    }
    Show(tLeft, p.tLeft2);
    Show(tMid, p.tMid2);
    Show(Image2, p.tMid2);
    Show(tRight, p.tRight2);
    Show(X2, p.Dis2);
    Show(Min2, p.Dis2);
    Show(Zoom2, p.Dis2);
}

void TitleBar::OnHoverPoll() {
    if (ButtonDown_) return; // a held button keeps its pressed picture
    const FramePictures& p = pictures_;
    const bool over = PointerOverButtons();
    Show(X2, !Xen ? p.Dis : over ? p.Xover : p.X1);
    Show(Min2, !Minen ? p.Dis : over ? p.Minover : p.Min);
    Show(Zoom2, !Zoomen ? p.Dis : over ? p.Zoomover : p.Zoom);
}

void TitleBar::OnCaptureGeometry() {
    const FrameHost host = Host();
    SkipOnError([&] { SavedHeight = host.Height(); });
    SkipOnError([&] { SavedWidth = host.Width(); });
    SkipOnError([&] { SavedTop = host.Top(); });
    SkipOnError([&] { SavedLeft = host.Left(); });
    Zoomed_ = false;
    Timer3.SetEnabled(false);
}

} // namespace zendra
