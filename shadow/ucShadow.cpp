#include "ucShadow.h"

#include "RealShadowSystem.h"
#include "ShadowPaint.h"

#include <string>

namespace zendra {
namespace {

// The control's surface keeps this size (32 x 32 pixels): it only shows its design picture.
constexpr int kSurfaceTwips = 480;

// Layered, transparent to the mouse, no notification of the owner on creation.
constexpr DWORD kShadowExStyle = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOPARENTNOTIFY;
static_assert(kShadowExStyle == 0x00080024);

constexpr COLORREF kClassBackground = 0x00FFFFFF;

const std::array<ucShadow::PropertyInfo, 9> kProperties{{
    {"Color", L"Return/set the shadow color."},
    {"Depth", L"Return/set the shadow depth"},
    {"FadeIn", L"Return/set whether the parent form will be faded in on show."},
    {"FadeTime", L"Return/set the duration in milliseconds of a fade in."},
    {"HideMove",
     L"Return/set whether the shadows should disappear whilst the parent form is being moved."},
    {"HideSize",
     L"Return/set whether the shadows should disappear whilst the parent form is being sized."},
    {"SoftShadow", L"Return/set whether to display the shadow with soft edges."},
    {"Transparency", L"Return/set the shadow transparency."},
    {"Visible", L"Return/set whether the shadow is visiblle."},
}};

} // namespace

std::wstring OwnClassName(const wchar_t* prefix, HWND owner) {
    return prefix + std::to_wstring(reinterpret_cast<std::uintptr_t>(owner));
}

ucShadow::ucShadow(std::wstring name, bool userMode)
    : ucShadow(std::move(name), userMode, RealShadowSystem()) {}

ucShadow::ucShadow(std::wstring name, bool userMode, const ShadowSystem& system)
    : Control(std::move(name)), system_(system), userMode_(userMode) {
    // At run time the surface has nothing to show: only the shadow windows do.
    if (userMode_) tk::Control::SetVisible(false);
}

ucShadow::~ucShadow() noexcept {
    End();
}

void ucShadow::End() noexcept {
    fade_.reset();
    fadeWindow_ = nullptr;
    fadeSnapshot_ = tk::DibSection();
    EndShadowWindows();
    subclass_.reset();
}

void ucShadow::OnDestroyed() noexcept {
    // The owner went away with the control's window. A window that is loaded again creates the
    // control again and reads its design: the run-time state starts afresh then.
    End();
    started_ = false;
    isLayered_ = false;
    owner_ = nullptr;
    pos_ = {};
    sizeMoveHidden_ = false;
    lastWidth_ = 0;
    lastHeight_ = 0;
    lastShown_ = false;
    blocking_ = false;
}

const std::array<ucShadow::PropertyInfo, 9>& ucShadow::Properties() noexcept {
    return kProperties;
}

const wchar_t* ucShadow::FadeOutDescription() noexcept {
    return L"Method called to fade the form out.";
}

void ucShadow::Changed(const char* key) {
    // Only a designer saves what was set; at run time the stored design stays as it is.
    if (!userMode_) PropertyChanged(key);
}

void ucShadow::SetColor(tk::OleColor value) {
    if (value == color_) return;
    color_ = value;
    Changed("Color");
    // Resolved even while there is no shadow, which may come back with the display.
    resolved_ = ResolveColor(color_);
    RenderShadows();
}

void ucShadow::SetDepth(std::int32_t value) {
    value = ClampDepth(value);
    if (value == depth_) return;
    depth_ = value;
    Changed("Depth");
    RenderShadows();
}

void ucShadow::SetFadeIn(bool value) {
    if (value == fadeIn_) return;
    fadeIn_ = value;
    Changed("FadeIn");
}

void ucShadow::SetFadeTime(std::int32_t value) {
    if (value == fadeTime_) return;
    fadeTime_ = value;
    Changed("FadeTime");
}

void ucShadow::SetHideMove(bool value) {
    if (value == hideMove_) return;
    hideMove_ = value;
    Changed("HideMove");
}

void ucShadow::SetHideSize(bool value) {
    if (value == hideSize_) return;
    hideSize_ = value;
    Changed("HideSize");
}

void ucShadow::SetSoftShadow(bool value) {
    if (value == softShadow_) return;
    softShadow_ = value;
    Changed("SoftShadow");
    RenderShadows();
}

void ucShadow::SetTransparency(std::int32_t value) {
    value = ReduceTransparency(value);
    if (value == transparency_) return;
    transparency_ = value;
    Changed("Transparency");
    RenderShadows();
}

void ucShadow::SetVisible(bool value) {
    if (value == visible_) return;
    visible_ = value;
    Changed("Visible");
    if (isLayered_ && OwnerVisible()) ShowShadows(value, true);
}

bool ucShadow::IsSysShadowEnabled() const {
    return IsXP() ? system_.DropShadowSetting() : true;
}

bool ucShadow::IsSysFadeEnabled() const {
    return system_.MenuAnimationSetting();
}

void ucShadow::ReadProperties(const tk::PropertyBag& bag) {
    // Stored values are taken as they are: the limits apply to sets only.
    color_ = bag.ReadColor("Color", 0);
    depth_ = bag.ReadInt("Depth", 10);
    fadeIn_ = bag.ReadBool("FadeIn", true);
    fadeTime_ = bag.ReadInt("FadeTime", 500);
    hideMove_ = bag.ReadBool("HideMove", false);
    hideSize_ = bag.ReadBool("HideSize", false);
    softShadow_ = bag.ReadBool("SoftShadow", true);
    transparency_ = bag.ReadInt("Transparency", 120);
    visible_ = bag.ReadBool("Visible", true);
    if (!userMode_ || started_) return;
    started_ = true;
    // The owner is known once the control's window exists; until then the start waits.
    if (Hwnd()) Start();
}

void ucShadow::WriteProperties(tk::PropertyBag& bag) const {
    bag.WriteColor("Color", color_, 0);
    bag.WriteInt("Depth", depth_, 10);
    bag.WriteBool("FadeIn", fadeIn_, true);
    bag.WriteInt("FadeTime", fadeTime_, 500);
    bag.WriteBool("HideMove", hideMove_, false);
    bag.WriteBool("HideSize", hideSize_, false);
    bag.WriteBool("SoftShadow", softShadow_, true);
    bag.WriteInt("Transparency", transparency_, 120);
    bag.WriteBool("Visible", visible_, true);
}

void ucShadow::OnResize() {
    if (Width() != kSurfaceTwips || Height() != kSurfaceTwips)
        Move(Left(), Top(), kSurfaceTwips, kSurfaceTwips);
}

LRESULT ucShadow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (started_ && !owner_) Start();
        break;
    case WM_PAINT: {
        tk::BufferedPaint paint(Hwnd());
        PaintDesignPicture(paint.Dc());
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintDesignPicture(reinterpret_cast<HDC>(wParam));
        return 0;
    default:
        break;
    }
    return Control::HandleMessage(message, wParam, lParam);
}

bool ucShadow::DetectLayering() {
    return zendra::DetectLayering(system_, layering_);
}

void ucShadow::Start() {
    isLayered_ = DetectLayering();
    if (!isLayered_) return;
    resolved_ = ResolveColor(color_);
    owner_ = GetAncestor(Hwnd(), GA_ROOT);
    // Until the owner reports a move, its place is where it stands now.
    RECT rect{};
    GetWindowRect(owner_, &rect);
    pos_.hwnd = owner_;
    pos_.x = rect.left;
    pos_.y = rect.top;
    pos_.cx = rect.right - rect.left;
    pos_.cy = rect.bottom - rect.top;
    subclass_ = std::make_unique<cSubclass>();
    subclass_->Subclass(owner_, *this);
    for (const UINT message : {WM_WINDOWPOSCHANGED, WM_SIZE, WM_SIZING, WM_MOVING, WM_EXITSIZEMOVE,
                               WM_SHOWWINDOW, WM_DISPLAYCHANGE})
        subclass_->AddMsg(static_cast<std::int32_t>(message), cSubclass::kBefore);
    if (IsXP()) subclass_->AddMsg(WM_THEMECHANGED, cSubclass::kBefore);
    subclass_->AddMsg(WM_PAINT, cSubclass::kAfter);
    CreateShadowWindows();
}

void ucShadow::CreateShadowWindows() {
    EndShadowWindows();
    shadows_ = std::make_unique<cWindow>();
    shadows_->Owner(*this);
    shadows_->WindowClassRegister(OwnClassName(L"ShadowCls", owner_), kClassBackground, 0, nullptr,
                                  nullptr, nullptr, 0, 0);
    right_ = shadows_->WindowCreate(kShadowExStyle, WS_POPUP, 0, 0, 0, 0, 0, L"", owner_, nullptr,
                                    nullptr);
    bottom_ = shadows_->WindowCreate(kShadowExStyle, WS_POPUP, 0, 0, 0, 0, 0, L"", owner_, nullptr,
                                     nullptr);
}

void ucShadow::EndShadowWindows() noexcept {
    shadows_.reset();
    right_ = nullptr;
    bottom_ = nullptr;
}

void ucShadow::Before(bool&, LRESULT&, HWND&, UINT& uMsg, WPARAM& wParam, LPARAM& lParam) noexcept {
    try {
        switch (uMsg) {
        case WM_WINDOWPOSCHANGED:
            OwnerMoved(*reinterpret_cast<const WINDOWPOS*>(lParam));
            break;
        case WM_SIZE:
            if (wParam == SIZE_RESTORED && OwnerVisible() && !sizeMoveHidden_)
                ShowShadows(true, false);
            break;
        case WM_SIZING:
        case WM_MOVING:
            if ((uMsg == WM_SIZING ? hideSize_ : hideMove_) && !sizeMoveHidden_) {
                sizeMoveHidden_ = true;
                ShowShadows(false, false);
            }
            break;
        case WM_EXITSIZEMOVE:
            if (sizeMoveHidden_) {
                sizeMoveHidden_ = false;
                PlaceShadows();
                ShowShadows(true, false);
            }
            break;
        case WM_SHOWWINDOW:
            // Shown by a show call, not by its owner or by a restore.
            if (wParam != 0 && lParam == 0 && fadeIn_) {
                fadingIn_ = true;
                fadeDuration_ = fadeTime_;
                StartFade();
            }
            break;
        case WM_DISPLAYCHANGE:
            DisplayChanged();
            break;
        case WM_THEMECHANGED:
            isLayered_ = DetectLayering();
            RenderShadows();
            break;
        default:
            break;
        }
    } catch (...) {
        // Nothing crosses into the system; the owner's own procedure runs all the same.
        tk::ReportCurrentException(L"the shadow following its owner");
    }
}

void ucShadow::After(LRESULT&, HWND, UINT uMsg, WPARAM, LPARAM) noexcept {
    if (uMsg == WM_PAINT && showAfterPaint_) {
        showAfterPaint_ = false;
        if (OwnerVisible() && !sizeMoveHidden_) ShowShadows(true, false);
    }
}

void ucShadow::OwnerMoved(const WINDOWPOS& position) noexcept {
    pos_ = position;
    // A change that keeps the place or the size may leave those fields of the record empty.
    if (pos_.flags & (SWP_NOMOVE | SWP_NOSIZE)) {
        RECT rect{};
        if (GetWindowRect(owner_, &rect)) {
            pos_.x = rect.left;
            pos_.y = rect.top;
            pos_.cx = rect.right - rect.left;
            pos_.cy = rect.bottom - rect.top;
        }
    }
    if (!sizeMoveHidden_) PlaceShadows();
}

void ucShadow::DisplayChanged() {
    const bool wasLayered = isLayered_;
    isLayered_ = DetectLayering();
    if (wasLayered && !isLayered_) {
        EndShadowWindows();
    } else if (!wasLayered && isLayered_) {
        CreateShadowWindows();
        RenderShadows();
        if (visible_ && OwnerVisible()) ShowShadows(true, true);
    }
}

void ucShadow::PlaceShadows() noexcept {
    if (!right_ || !bottom_) return;
    if (pos_.flags & SWP_HIDEWINDOW) {
        showAfterPaint_ = false;
        ShowShadows(false, false);
        return;
    }
    if (pos_.cx != lastWidth_) {
        lastWidth_ = pos_.cx;
        RenderShadow(Strip::Bottom);
    }
    if (pos_.cy != lastHeight_) {
        lastHeight_ = pos_.cy;
        RenderShadow(Strip::Right);
    }
    // A pure move only moves the windows: their pictures stay.
    const StripRect right = RightStripRect(OwnerPosition(), depth_);
    const StripRect bottom = BottomStripRect(OwnerPosition(), depth_);
    MoveWindow(right_, right.left, right.top, right.width, right.height, FALSE);
    MoveWindow(bottom_, bottom.left, bottom.top, bottom.width, bottom.height, FALSE);
    // A shadow shown at once would stand on the screen before the window it belongs to: that
    // paints only afterwards.
    if (pos_.flags & SWP_SHOWWINDOW) showAfterPaint_ = true;
}

void ucShadow::ShowShadows(bool show, bool forced) noexcept {
    if (!forced && show == lastShown_) return;
    lastShown_ = show;
    if (show && !visible_) return;
    if (!right_ || !bottom_) return;
    const int command = show ? SW_SHOWNOACTIVATE : SW_HIDE;
    ShowWindow(right_, command);
    ShowWindow(bottom_, command);
}

void ucShadow::RenderShadows() noexcept {
    if (!isLayered_ || !right_ || !bottom_) return;
    if (!OwnerVisible()) {
        // A hidden owner is not drawn for now; the next placing draws the new look.
        lastWidth_ = -1;
        lastHeight_ = -1;
        return;
    }
    RenderShadow(Strip::Right);
    RenderShadow(Strip::Bottom);
}

void ucShadow::RenderShadow(Strip strip) noexcept {
    ++renders_[strip == Strip::Right ? 0 : 1];
    zendra::RenderShadow(strip == Strip::Right ? right_ : bottom_,
                         StripRectOf(strip, OwnerPosition(), depth_), strip, Look(), transparency_);
}

ShadowLook ucShadow::Look() const noexcept {
    return {depth_, softShadow_, resolved_, layering_.isLuna};
}

} // namespace zendra
