#include "frmProgress.h"

#include "FormHelpers.h"
#include "ProgressText.h"

namespace zendra {

namespace {

constexpr int kWidth = 5100; // twips: 340 x 122 pixels
constexpr int kHeight = 1830;

} // namespace

frmProgress::frmProgress(std::wstring caption) : tk::Form(L"Zendra", kWidth, kHeight) {
    SetBackColor(kWindowWhite);
    SetDesign(
        {{L"Tiger1",
          {{"Caption", std::move(caption)}, {"MinEnabled", false}, {"ZoomEnabled", false}}},
         {L"ucShadow1", {}},
         {L"cmdCancel",
          {{"BackColor", std::int64_t{kWindowWhite}}, {"Caption", std::wstring(L"Cancel")}}}});
}

void frmProgress::CreateControls() {
    CreateControl(Tiger1, 0, 0, kWidth, 345);
    CreateControl(ucShadow1, 0, 0, 480, 480);
    CreateControl(ProgressBar1, 300, 630, 4500, 345);
    CreateControl(cmdCancel, 3600, 1320, 1200, 345);
    cmdCancel.Click.Handle([this] { RequestCancel(); });
    lblBytes.SetBackColor(kWindowWhite);
    PlaceLabel(Elements(), lblBytes, ProgressText(0, 0, 0).c_str(), 300, 1065, 4500, 255);
    Shape1.SetBorderColor(kEdgeGrey);
    Elements().AddFront(Shape1);
}

void frmProgress::OnLoad() {
    cancelRequested_ = false;
    cmdCancel.SetEnabled(true);
    ConfigureShadow(ucShadow1);
    Skipping([&] { Shape1.Move(0, 0, Width(), Height()); });
    Skipping([&] { Tiger1.SetWidth(Width()); });
    firstFrame_.Hold(Hwnd(), ucShadow1);
}

LRESULT frmProgress::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRevealMessage) return Form::HandleMessage(message, wParam, lParam);
    firstFrame_.Reveal();
    return 0;
}

void frmProgress::OnUnload() {
    // Closing the window (its close button, Alt+F4) cancels too.
    RequestCancel();
}

void frmProgress::SetProgress(std::uint64_t done, std::uint64_t total) {
    ProgressBar1.SetProgress(done, total);
}

void frmProgress::SetText(const std::wstring& text) {
    lblBytes.SetCaption(text);
}

bool frmProgress::PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE || !Hwnd()) return false;
    if (msg.hwnd != Hwnd() && !IsChild(Hwnd(), msg.hwnd)) return false;
    RequestCancel();
    return true;
}

void frmProgress::RequestCancel() {
    if (cancelRequested_) return;
    cancelRequested_ = true;
    // The button shows that the request was taken while the work winds down.
    Skipping([&] { cmdCancel.SetEnabled(false); });
    CancelRequested();
}

} // namespace zendra
