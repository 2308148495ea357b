// A top-level window without a system frame that hosts controls and elements. Load creates it
// (hidden) and runs its load step, Show shows it and brings it forward, Unload runs its unload
// step and destroys it. The program ends when its last loaded form is gone.
#pragma once

#include "Control.h"
#include "Handles.h"
#include "Placement.h"
#include "Property.h"
#include "Surface.h"
#include "Window.h"

#include <functional>
#include <string>
#include <vector>

namespace zendra::tk {

class Form : public Window {
public:
    // `title` is the window's own text (taskbar); size is the client size in twips.
    Form(std::wstring title, int width, int height);
    ~Form() noexcept override;

    void Load();
    void Show();
    // Unloading is never cancelled; a failure in the unload step does not stop it.
    void Unload() noexcept;
    bool IsLoaded() const noexcept { return Hwnd() != nullptr; }

    // Geometry in twips; without a frame the window's size is its client size.
    int Left() const noexcept;
    int Top() const noexcept;
    int Width() const noexcept { return place_.width; }
    int Height() const noexcept { return place_.height; }
    void SetLeft(int twips) { Move(twips, Top(), Width(), Height()); }
    void SetTop(int twips) { Move(Left(), twips, Width(), Height()); }
    void SetWidth(int twips) { Move(Left(), Top(), twips, Height()); }
    void SetHeight(int twips) { Move(Left(), Top(), Width(), twips); }
    void Move(int left, int top, int width, int height);
    void Minimize() noexcept;
    // The whole screen (not the work area), in twips.
    static int ScreenWidth() noexcept;
    static int ScreenHeight() noexcept;

    const std::wstring& Title() const noexcept { return title_; }
    void SetBackColor(OleColor color) { elements_.SetBackColor(color); }
    OleColor BackColor() const noexcept { return elements_.BackColor(); }
    // Big and small icons from one icon resource of the executable.
    void SetIcon(int resourceId);

    Surface& Elements() noexcept { return elements_; }

    // The stored design: CreateControl reads each control's bag by the control's name.
    void SetDesign(FormDesign design) { design_ = std::move(design); }
    const FormDesign& Design() const noexcept { return design_; }
    // Reads a control's stored properties and creates it on this form, or inside `container`
    // (a control of this form that holds others, such as a pane).
    void CreateControl(Control& control, int left, int top, int width, int height,
                       HWND container = nullptr);

    // The child windows Tab and Shift+Tab move through, in order; hidden or disabled ones are
    // passed over.
    void SetTabOrder(std::vector<HWND> order) { tabOrder_ = std::move(order); }
    // Focuses the next (or previous) window of the tab order after `from` (from the start when
    // `from` is none of them); false when none can take the focus.
    bool FocusNext(HWND from, bool backwards) noexcept;

    // Every loaded form, in the order they were loaded.
    static const std::vector<Form*>& LoadedForms() noexcept;
    // What happens when the last form is unloaded (by default the message loop ends).
    static void SetOnLastUnloaded(std::function<void()> action);
    // Runs the message loop until the program ends; returns its exit code.
    static int RunMessageLoop();

protected:
    // Runs once the window exists, before the load step: create the controls here.
    virtual void CreateControls() {}
    virtual void OnLoad() {}
    virtual void OnUnload() {}
    // A dialog key (Tab, Enter, Esc) pressed in the form or passed on by one of its child
    // windows (`from`); true when used. Tab and Shift+Tab move through the tab order.
    virtual bool OnDialogKey(HWND from, WPARAM key);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() noexcept override;

private:
    // Hands the icons to the window (from SetIcon, or when the window is made).
    void ShowIcons() noexcept;

    std::wstring title_;
    Placement place_;
    Surface elements_;
    FormDesign design_;
    std::vector<HWND> tabOrder_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    bool unloading_ = false;
};

} // namespace zendra::tk
