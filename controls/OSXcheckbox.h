// The skinned check box: a 16-pixel box cut from a strip of 12 pre-drawn cells (three values,
// each in a normal, hover, pressed and disabled look) and a caption to its right. A click raises
// Click with the old value, then toggles it; a 10 ms leave watch restores the normal look and
// raises MouseExit once the pointer has left. Space toggles a focused box as a click does (on
// its release). A disabled box shows its disabled cell and still raises its mouse events, but no
// Click: its value does not change.
#pragma once

#include "Control.h"
#include "Image.h"
#include "Label.h"
#include "Timer.h"

#include <cstdint>

namespace zendra {

class OSXcheckbox : public tk::Control {
public:
    explicit OSXcheckbox(std::wstring name = L"OSXcheckbox");

    std::int32_t Value() const noexcept { return value_; }
    // 0 unchecked, 1 checked, 2 mixed; any other value is kept but leaves the last picture.
    void SetValue(std::int32_t value);
    const std::wstring& Caption() const noexcept { return lbl.Caption(); }
    void SetCaption(std::wstring caption);
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);
    const tk::FontDesc& Font() const noexcept { return font_; }
    void SetFont(const tk::FontDesc& font);
    tk::OleColor BackColor() const noexcept { return backColor_; }
    void SetBackColor(tk::OleColor color);
    tk::OleColor ForeColor() const noexcept { return foreColor_; }
    void SetForeColor(tk::OleColor color);

    void ReadProperties(const tk::PropertyBag& bag) override;
    void WriteProperties(tk::PropertyBag& bag) const override;

    tk::Event<> Click;
    tk::Event<short, short> KeyDown;  // key code, shift state
    tk::Event<short> KeyPress;        // character code
    tk::Event<short, short> KeyUp;
    tk::Event<short, short, float, float> MouseDown; // button, shift, x, y (twips)
    tk::Event<short, short, float, float> MouseMove;
    tk::Event<short, short, float, float> MouseUp;
    tk::Event<> MouseExit;

    // The strip cell the box shows (0..11), and whether the leave watch runs.
    int ShownCell() const noexcept { return shownCell_; }
    bool LeaveWatchRunning() const noexcept { return Timer1.Enabled(); }
    const tk::Label& CaptionLabel() const noexcept { return lbl; }
    int BoxTop() const noexcept { return p.Top(); }

    static constexpr COLORREF kDisabledTextColor = RGB(161, 161, 146);

protected:
    void OnResize() override;
    bool OnKey(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintFocus(HDC dc) override;

  private:
    void ShowCell(int cell);
    void DrawNormal();
    void DrawDisabled();
    void ApplyCaptionColor();
    void HookMouse(tk::Element& part);
    void OnMouseDown(const tk::MouseArgs& a);
    void OnMouseMove(const tk::MouseArgs& a);
    void OnClick();
    void OnLeaveWatch();

    tk::Container p; // the box: shows one cell, clipped to 16 x 16 pixels
    tk::Image cell_;
    tk::Label lbl;
    tk::Picture pc; // the strip of cells
    tk::Timer Timer1{*this, 10, true};

    std::int32_t value_ = 0;
    bool enabled_ = true;
    tk::FontDesc font_;
    tk::OleColor backColor_ = 0x8000000Fu;
    tk::OleColor foreColor_ = 0;
    int shownCell_ = -1;
    bool spaceDown_ = false;
};

} // namespace zendra
