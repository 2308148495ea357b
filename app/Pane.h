// A pane of the main window: a windowless container for its labels, and the child windows (text
// boxes, buttons, check boxes) placed relative to it, shown and hidden together with it.
#pragma once

#include "Control.h"
#include "Element.h"
#include "Form.h"
#include "TextBox.h"

#include <functional>
#include <vector>

namespace zendra {

class Pane : public tk::Container {
public:
    Pane() = default;

    // Creates a control or a text box of this pane on the pane's form (place in twips, relative
    // to the pane).
    void Create(tk::Form& form, tk::Control& control, int left, int top, int width, int height);
    void Create(tk::Form& form, tk::TextBox& box, int left, int top, int width, int height);

    // Shows or hides the pane with its child windows.
    void Show(bool visible);

private:
    std::vector<std::function<void(bool)>> children_;
};

} // namespace zendra
