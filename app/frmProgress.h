// The progress window of a long split or join: its own slim title bar and shadow, a progress bar,
// how many bytes of how many are done, and a "Cancel" button. The button, Esc and closing the
// window each ask to cancel: CancelRequested is raised once per load.
#pragma once

#include "FirstFrame.h"
#include "ProgressBar.h"
#include "Tiger.h"
#include "aquaBtn.h"
#include "ucShadow.h"

#include "Form.h"
#include "Label.h"
#include "Shape.h"

#include <cstdint>
#include <string>

namespace zendra {

class frmProgress : public tk::Form {
  public:
    // `caption` is the title bar's text, such as "Splitting...".
    explicit frmProgress(std::wstring caption);

    // The bar; the text below it (ProgressText) is set on its own, less often.
    void SetProgress(std::uint64_t done, std::uint64_t total);
    void SetText(const std::wstring& text);
    // For the message loop that runs while the window is shown: Esc pressed in any part of the
    // window asks to cancel. True when the message was that key (it is then handled).
    bool PreTranslate(const MSG& msg);

    tk::Event<> CancelRequested;

    Tiger Tiger1{L"Tiger1"};
    ucShadow ucShadow1{L"ucShadow1"};
    ProgressBar ProgressBar1{L"ProgressBar1"};
    tk::Label lblBytes;
    aquaBtn cmdCancel{L"cmdCancel"};
    tk::Shape Shape1;

  protected:
    void CreateControls() override;
    void OnLoad() override;
    void OnUnload() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void RequestCancel();

    FirstFrame firstFrame_;
    bool cancelRequested_ = false;
};

} // namespace zendra
