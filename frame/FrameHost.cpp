#include "FrameHost.h"

#include "Form.h"
#include "base/Failure.h"

namespace zendra {
namespace {

// A title bar asked to act on a window it no longer has (it was destroyed, or never placed).
Failure NoHostWindow() {
    return Failure("The title bar has no window to act on.");
}

} // namespace

FrameHost::FrameHost(HWND child) noexcept {
    if (child == nullptr) return;
    hwnd_ = GetAncestor(child, GA_ROOT);
    for (tk::Form* form : tk::Form::LoadedForms())
        if (form->Hwnd() == hwnd_) form_ = form;
}

void FrameHost::Unload() {
    if (form_ != nullptr) {
        form_->Unload();
        return;
    }
    if (hwnd_ == nullptr) throw NoHostWindow();
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void FrameHost::Minimize() {
    if (form_ != nullptr) {
        form_->Minimize();
        return;
    }
    if (hwnd_ == nullptr) throw NoHostWindow();
    ShowWindow(hwnd_, SW_MINIMIZE);
}

RECT FrameHost::WindowRect() const {
    RECT r{};
    if (hwnd_ == nullptr || !GetWindowRect(hwnd_, &r)) throw NoHostWindow();
    return r;
}

void FrameHost::Place(const RECT& r) {
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

int FrameHost::Left() const {
    return form_ != nullptr ? form_->Left() : tk::PixelsToTwips(WindowRect().left);
}
int FrameHost::Top() const {
    return form_ != nullptr ? form_->Top() : tk::PixelsToTwips(WindowRect().top);
}
int FrameHost::Width() const {
    if (form_ != nullptr) return form_->Width();
    const RECT r = WindowRect();
    return tk::PixelsToTwips(r.right - r.left);
}
int FrameHost::Height() const {
    if (form_ != nullptr) return form_->Height();
    const RECT r = WindowRect();
    return tk::PixelsToTwips(r.bottom - r.top);
}

void FrameHost::SetLeft(int twips) {
    if (form_ != nullptr) return form_->SetLeft(twips);
    RECT r = WindowRect();
    OffsetRect(&r, tk::TwipsToPixels(twips) - r.left, 0);
    Place(r);
}
void FrameHost::SetTop(int twips) {
    if (form_ != nullptr) return form_->SetTop(twips);
    RECT r = WindowRect();
    OffsetRect(&r, 0, tk::TwipsToPixels(twips) - r.top);
    Place(r);
}
void FrameHost::SetWidth(int twips) {
    if (form_ != nullptr) return form_->SetWidth(twips);
    RECT r = WindowRect();
    r.right = r.left + tk::TwipsToPixels(twips);
    Place(r);
}
void FrameHost::SetHeight(int twips) {
    if (form_ != nullptr) return form_->SetHeight(twips);
    RECT r = WindowRect();
    r.bottom = r.top + tk::TwipsToPixels(twips);
    Place(r);
}

int FrameHost::ScreenWidth() noexcept { return tk::Form::ScreenWidth(); }
int FrameHost::ScreenHeight() noexcept { return tk::Form::ScreenHeight(); }

} // namespace zendra
