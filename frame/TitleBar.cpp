#include "TitleBar.h"

#include "Language.h"

#include "Artwork.h"
#include "FrameHost.h"
#include "OnTop.h"
#include "Skipping.h"

namespace zendra {

namespace {

constexpr int kSpacer = 105;        // the gap between two buttons, twips (7 pixels)
constexpr int kMiddleBehind = 4215; // the middle piece behind the buttons, clipped by the group
constexpr int kCaptionTop = 60;
constexpr int kCaptionHeight = 255;
constexpr wchar_t kDefaultCaption[] = L"Panther";
constexpr UINT kMoveByCaption = SC_MOVE | HTCAPTION; // 0xF012: the system's move loop

tk::FontDesc CaptionFont() {
    tk::FontDesc font;
    font.face = L"Arial";
    font.points = 9;
    font.weight = FW_NORMAL;
    font.charset = ANSI_CHARSET;
    return font;
}

} // namespace

TitleBar::TitleBar(std::wstring name, const FrameStyle& style)
    : Control(std::move(name)), style_(style), pictures_(FramePictures::Load(style)) {
    const FramePictures& p = pictures_;
    const int barHeight = tk::PixelsToTwips(p.tMid3.Height());

    ShowActiveLook();
    tMid.Move(tLeft.Width(), 0, tk::PixelsToTwips(p.tMid3.Width()), barHeight);
    Image2.Move(tLeft.Width(), 0, kMiddleBehind, barHeight);

    Cap.SetFont(CaptionFont());
    Cap.SetForeColor(0);
    Cap.SetOpaque(false);
    Cap.SetAlignment(tk::Alignment::Center);
    Cap.Move(0, kCaptionTop, 0, kCaptionHeight);
    CapMask.SetOpaque(false);

    Elements().AddFront(tMid);
    Elements().AddFront(tRight);
    Elements().AddFront(Cap);
    Elements().AddFront(CapMask);
    tk::Surface& group = Picture1.Elements();
    group.SetOpaque(true);
    group.AddFront(Image2);
    group.AddFront(tLeft);
    group.AddFront(X2);
    group.AddFront(Min2);
    group.AddFront(Zoom2);

    CapMask.MouseDown.Handle([this](const tk::MouseArgs&) { StartDrag(); });
    HookButton(X2, Xen, p.Xdown, p.X1, &TitleBar::CloseHost);
    HookButton(Min2, Minen, p.Mindown, p.Min, &TitleBar::MinimizeHost);
    HookButton(Zoom2, Zoomen, p.Zoomdown, p.Zoom, &TitleBar::ToggleZoom);

    Timer1.Tick.Handle([this] { OnActivityWatch(); });
    Timer2.Tick.Handle([this] { OnHoverPoll(); });
    InActCheck.Tick.Handle([this] { OnInactivePoll(); });
    Timer3.Tick.Handle([this] { OnCaptureGeometry(); });

    // A new bar reads the defaults; a stored design read later replaces them.
    ReadProperties(tk::PropertyBag{});
}

TitleBar::~TitleBar() noexcept = default;

LRESULT TitleBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        hostWindow_ = GetAncestor(Hwnd(), GA_ROOT);
        StartAfresh();
        CreateButtonGroup();
        return 0;
    }
    return Control::HandleMessage(message, wParam, lParam);
}

// A host loaded again after an unload gets a bar like a new one: active look, pollers running, no
// press held, not zoomed, its start-up geometry captured anew.
void TitleBar::StartAfresh() {
    ShowActiveLook();
    ButtonDown_ = false;
    Zoomed_ = false;
    SavedHeight.reset();
    SavedWidth.reset();
    SavedTop.reset();
    SavedLeft.reset();
    Timer1.SetEnabled(true);
    Timer2.SetEnabled(true);
    Timer3.SetEnabled(true);
}

void TitleBar::ShowActiveLook() {
    const FramePictures& p = pictures_;
    // The zoom button as its flag will keep it: a bar whose zoom is off (the main and About
    // windows) showed the normal picture on its first frame, and for a tick after each return to
    // the window, until the hover poller put the disabled one on it.
    ShowLook(p.tLeft3, p.tMid3, p.tRight3, p.X1, p.Min, Zoomen ? p.Zoom : p.Dis);
}

void TitleBar::ShowLook(const tk::Picture& left, const tk::Picture& mid, const tk::Picture& right,
                        const tk::Picture& close, const tk::Picture& min, const tk::Picture& zoom) {
    tLeft.SetPicture(left);
    tMid.SetPicture(mid);
    Image2.SetPicture(mid);
    tRight.SetPicture(right);
    X2.SetPicture(close);
    Min2.SetPicture(min);
    Zoom2.SetPicture(zoom);
}

void TitleBar::CreateButtonGroup() {
    Picture1.Create(Hwnd(), 0, 0, style_.groupWidth, style_.groupHeight);
    tips_ = std::make_unique<tk::ToolTips>();
    // In the user's language: the Chinese texts mean nothing to most users and show as empty
    // boxes where no Chinese font is installed.
    tips_->Add(Picture1.Hwnd(), X2, tk::Localized(L"关闭", L"Close"));
    tips_->Add(Picture1.Hwnd(), Min2, tk::Localized(L"最小化", L"Minimize"));
    tips_->Add(Picture1.Hwnd(), Zoom2, tk::Localized(L"最大化", L"Zoom"));
}

FrameHost TitleBar::Host() const noexcept { return FrameHost(Hwnd()); }

void TitleBar::ApplyKeyColour(HWND host) const noexcept {
    if (host == nullptr) return;
    const COLORREF key = VbColor(ZENDRA_ART_KEY_COLOUR);
    SetWindowLongPtrW(host, GWL_EXSTYLE, GetWindowLongPtrW(host, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(host, key, 0, LWA_COLORKEY);
}

void TitleBar::OnResize() {
    const int W = Width();
    ApplyKeyColour(Host().Hwnd());
    tk::Skipping([&] { SetHeight(tMid.Height()); });
    // Narrower than the two ends: the middle keeps its last width.
    tk::Skipping([&] { tMid.SetWidth(W - tLeft.Width() - tRight.Width()); });
    tk::Skipping([&] { tRight.SetLeft(W - tRight.Width()); });
    tk::Skipping([&] { CapMask.Move(0, 0, W, Height()); });
    tk::Skipping([&] { X2.SetLeft(tLeft.Width()); });
    tk::Skipping([&] { Min2.SetLeft(X2.Left() + X2.Width() + kSpacer); });
    tk::Skipping([&] { Zoom2.SetLeft(Min2.Left() + Min2.Width() + kSpacer); });
    tk::Skipping([&] {
        Cap.SetWidth(W);
        Cap.SetTop(kCaptionTop);
    });
    if (tips_) tips_->Refresh();
}

void TitleBar::HookButton(tk::Image& button, const bool& flag, const tk::Picture& pressed,
                          const tk::Picture& released, void (TitleBar::*action)()) {
    button.MouseDown.Handle([this, &button, &flag, &pressed](const tk::MouseArgs&) {
        if (!flag) return;
        button.SetPicture(pressed);
        ButtonDown_ = true;
    });
    // The release shows the normal look (not the hover look) and hands the button back to the
    // hover poller, wherever the pointer was released.
    button.MouseUp.Handle([this, &button, &flag, &released](const tk::MouseArgs&) {
        if (!flag) return;
        button.SetPicture(released);
        Timer2.SetEnabled(true);
        ButtonDown_ = false;
    });
    // The mouse went elsewhere before the release (Alt+Tab, another window took it): the normal
    // (or disabled) picture, and the hover poller takes the button again. No action.
    button.PressCancelled.Handle([this, &button, &flag, &released] {
        if (!ButtonDown_) return;
        button.SetPicture(flag ? released : pictures_.Dis);
        Timer2.SetEnabled(true);
        ButtonDown_ = false;
    });
    button.Click.Handle([this, &flag, action] {
        if (flag) (this->*action)();
    });
}

void TitleBar::StartDrag() noexcept {
    ReleaseCapture();
    SendMessageW(Host().Hwnd(), WM_SYSCOMMAND, kMoveByCaption, 0);
}

void TitleBar::CloseHost() { Host().Unload(); }

void TitleBar::MinimizeHost() { Host().Minimize(); }

void TitleBar::ToggleZoom() {
    FrameHost host = Host();
    if (Zoomed_) {
        // Back to the start-up geometry; a value never captured leaves that dimension alone.
        tk::Skipping([&] { if (SavedHeight) host.SetHeight(*SavedHeight); });
        tk::Skipping([&] { if (SavedWidth) host.SetWidth(*SavedWidth); });
        tk::Skipping([&] { if (SavedTop) host.SetTop(*SavedTop); });
        tk::Skipping([&] { if (SavedLeft) host.SetLeft(*SavedLeft); });
        Zoomed_ = false;
    } else {
        tk::Skipping([&] { host.SetTop(10); });
        tk::Skipping([&] { host.SetLeft(0); });
        tk::Skipping([&] { host.SetWidth(FrameHost::ScreenWidth()); });
        tk::Skipping([&] { host.SetHeight(FrameHost::ScreenHeight()); });
        Zoomed_ = true;
    }
}

void TitleBar::SetCaption(std::wstring caption) {
    Cap.SetCaption(std::move(caption));
    PropertyChanged("Caption");
}

void TitleBar::SetActCheck(bool on) {
    InActCheck.SetEnabled(on);
    PropertyChanged("ActCheck");
}

void TitleBar::SetXEnabled(bool on) {
    Xen = on;
    PropertyChanged("XEnabled");
}

void TitleBar::SetMinEnabled(bool on) {
    Minen = on;
    PropertyChanged("MinEnabled");
}

void TitleBar::SetZoomEnabled(bool on) {
    Zoomen = on;
    PropertyChanged("ZoomEnabled");
    Zoom2.SetPicture(on ? pictures_.Zoom : pictures_.Dis);
}

void TitleBar::ReadProperties(const tk::PropertyBag& bag) {
    // Reading changes no picture: the pollers bring the buttons in line.
    Cap.SetCaption(bag.ReadString("Caption", kDefaultCaption));
    InActCheck.SetEnabled(bag.ReadBool("ActCheck", true));
    Xen = bag.ReadBool("XEnabled", true);
    Minen = bag.ReadBool("MinEnabled", true);
    Zoomen = bag.ReadBool("ZoomEnabled", true);
}

void TitleBar::WriteProperties(tk::PropertyBag& bag) const {
    bag.WriteString("Caption", Cap.Caption(), kDefaultCaption);
    bag.WriteBool("ActCheck", ActCheck(), true);
    bag.WriteBool("XEnabled", Xen, true);
    bag.WriteBool("MinEnabled", Minen, true);
    bag.WriteBool("ZoomEnabled", Zoomen, true);
}

void TitleBar::SetShowInTaskbar(bool Visible, HWND hWnd) noexcept {
    if (!Visible) {
        // Kept (once, until shown again) so that showing it again undoes this call.
        if (taskbarWindow_ != hWnd) {
            taskbarWindow_ = hWnd;
            taskbarStyle_ = GetWindowLongPtrW(hWnd, GWL_EXSTYLE);
        }
        SetWindowLongPtrW(hWnd, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
        return;
    }
    const LONG_PTR style = taskbarWindow_ == hWnd
                               ? taskbarStyle_
                               : GetWindowLongPtrW(hWnd, GWL_EXSTYLE) & ~LONG_PTR{WS_EX_TOOLWINDOW};
    taskbarWindow_ = nullptr;
    SetWindowLongPtrW(hWnd, GWL_EXSTYLE, style);
    // A window that loses the layered style loses its key colour with it.
    if ((style & WS_EX_LAYERED) != 0 && hWnd == Host().Hwnd()) ApplyKeyColour(hWnd);
}

void TitleBar::AlwaysOnTop() noexcept { SetOnTop(Host().Hwnd(), true); }

void TitleBar::NotOnTop() noexcept { SetOnTop(Host().Hwnd(), false); }

} // namespace zendra
