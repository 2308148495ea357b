// Base of the program's own controls: a child window with a name, a place in twips on its host,
// elements painted double-buffered, mouse input routed to them, key messages, and property
// persistence through a bag.
#pragma once

#include "Placement.h"
#include "Property.h"
#include "Surface.h"
#include "Window.h"

#include <string>

namespace zendra::tk {

class Control : public Window {
public:
    explicit Control(std::wstring name);

    const std::wstring& Name() const noexcept { return name_; }

    // Creates the child window on `parent` (a form or another window) at a place in twips.
    void Create(HWND parent, int left, int top, int width, int height);

    int Left() const noexcept { return place_.left; }
    int Top() const noexcept { return place_.top; }
    int Width() const noexcept { return place_.width; }
    int Height() const noexcept { return place_.height; }
    // Moves and sizes the control (twips); the control's layout runs on every call.
    void Move(int left, int top, int width, int height);
    void SetWidth(int width) { Move(place_.left, place_.top, width, place_.height); }
    void SetHeight(int height) { Move(place_.left, place_.top, place_.width, height); }
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);

    // The design values: reading sets properties from a bag, writing stores them.
    virtual void ReadProperties(const PropertyBag&) {}
    virtual void WriteProperties(PropertyBag&) const {}
    const PropertyChanges& Changes() const noexcept { return changes_; }

    Surface& Elements() noexcept { return surface_; }

protected:
    // The layout: runs after every size change.
    virtual void OnResize() {}
    // Key messages (WM_KEYDOWN, WM_CHAR, WM_KEYUP); true when handled. Tab never comes here; an
    // Enter or Esc left unhandled goes on to the form.
    virtual bool OnKey(UINT, WPARAM, LPARAM) { return false; }
    // Draws the focus over the painted control, in the skin's style; called while the control
    // has the focus and keyboard cues show.
    virtual void PaintFocus(HDC) {}
    bool ShowsFocus() const noexcept;
    void PropertyChanged(const std::string& key) { changes_.Mark(key); }
    void Repaint() const noexcept;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::wstring name_;
    Surface surface_;
    PropertyChanges changes_;
    Placement place_;
    bool visible_ = true;
    bool resizing_ = false;
};

} // namespace zendra::tk
