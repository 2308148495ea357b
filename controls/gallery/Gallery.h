// One window with every skinned control in every look, for looking at them together.
#pragma once

#include "Form.h"
#include "Image.h"
#include "Label.h"
#include "OSXcheckbox.h"
#include "Shape.h"
#include "aquaBtn.h"
#include "iList.h"

#include <array>
#include <memory>
#include <vector>

namespace zendra {

class Gallery : public tk::Form {
public:
    Gallery();
    // Puts the looks that need the mouse in place (a pressed button, a hovered box, a chosen row).
    void Pose();

protected:
    void CreateControls() override;

private:
    tk::Label& Caption(int left, int top, const wchar_t* text);

    std::vector<std::unique_ptr<tk::Label>> captions_;
    std::array<aquaBtn, 6> buttons_;
    std::array<OSXcheckbox, 7> boxes_;
    std::array<tk::Image, 12> cells_;
    iList list_{L"ListView2"};
    iList shortList_{L"ListView3"};
};

} // namespace zendra
