// The About window: its own slim title bar, the logo, the program's name, version, description
// and a legal notice. One instance; showing it again only brings it forward.
#pragma once

#include "FirstFrame.h"
#include "Tiger.h"
#include "ucShadow.h"

#include "Form.h"
#include "Image.h"
#include "Label.h"
#include "Shape.h"

namespace zendra {

class Frmabout : public tk::Form {
public:
    Frmabout();

    Tiger Tiger1{L"Tiger1"};
    ucShadow ucShadow2{L"ucShadow2"};
    tk::Image Image1;
    tk::Label Label1, Label2, Label3, Label4;
    tk::Shape Shape1;

protected:
    void CreateControls() override;
    void OnLoad() override;
    // Esc closes the window.
    bool OnDialogKey(HWND from, WPARAM key) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    FirstFrame firstFrame_;
};

} // namespace zendra
