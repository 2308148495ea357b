#include "Pane.h"

namespace zendra {

void Pane::Create(tk::Form& form, tk::Control& control, int left, int top, int width, int height) {
    control.SetVisible(Visible());
    form.CreateControl(control, Left() + left, Top() + top, width, height);
    children_.push_back([&control](bool visible) { control.SetVisible(visible); });
}

void Pane::Create(tk::Form& form, tk::TextBox& box, int left, int top, int width, int height) {
    box.SetVisible(Visible());
    box.Create(form.Hwnd(), Left() + left, Top() + top, width, height);
    children_.push_back([&box](bool visible) { box.SetVisible(visible); });
}

void Pane::Show(bool visible) {
    SetVisible(visible);
    for (const auto& child : children_) child(visible);
}

} // namespace zendra
