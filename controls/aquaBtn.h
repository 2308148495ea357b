// The glossy push button: a left cap, a stretched middle and a right cap with a centred caption,
// always 23 pixels high, in a normal, pressed or disabled look, with an optional pinstripe
// backdrop. It passes the mouse events of its surface on to its host, each before the picture
// changes that follow it. Focused, Space (on its release) and Enter click it. It takes the focus
// by Tab and, as a system push button, by a click with the left button: at the release, before the
// host's MouseUp handler runs, so that a handler moving the focus elsewhere has the last word
// (focusing inside the press could cost the press its release under Wine).
#pragma once

#include "Control.h"
#include "Image.h"
#include "Label.h"
#include "Timer.h"

namespace zendra {

class aquaBtn : public tk::Control {
public:
    explicit aquaBtn(std::wstring name = L"aquaBtn");

    tk::OleColor BackColor() const noexcept { return backColor_; }
    void SetBackColor(tk::OleColor color);
    bool Enabled() const noexcept { return Label1.Enabled(); }
    void SetEnabled(bool enabled);
    // 0: transparent (the host shows where no piece is drawn); 1: filled with BackColor.
    short BackStyle() const noexcept { return backStyle_; }
    void SetBackStyle(short style);
    const std::wstring& Caption() const noexcept { return Label2.Caption(); }
    void SetCaption(std::wstring caption);
    bool Lines() const noexcept { return Timer1.Enabled(); }
    void SetLines(bool lines);

    void ReadProperties(const tk::PropertyBag& bag) override;
    void WriteProperties(tk::PropertyBag& bag) const override;

    tk::Event<> Click;
    tk::Event<> DblClick;
    tk::Event<short, short, float, float> MouseDown; // Button, Shift, X, Y (twips, in Label1)
    tk::Event<short, short, float, float> MouseMove;
    tk::Event<short, short, float, float> MouseUp;

    // A click from the keyboard (Space, Enter): the events a mouse click raises, at the middle.
    void PerformClick();

    // The shown pieces, for looking at the current look.
    const tk::Picture& LeftCap() const noexcept { return Image2.GetPicture(); }
    const tk::Picture& Middle() const noexcept { return Image1.GetPicture(); }
    const tk::Picture& RightCap() const noexcept { return Image3.GetPicture(); }
    bool BackdropShown() const noexcept { return Image13.Visible(); }
    int MiddleWidth() const noexcept { return Image1.Width(); }

    // The pictures of each look.
    struct Look {
        tk::Picture left, middle, right;
    };
    const Look& NormalLook() const noexcept { return normal_; }
    const Look& PressedLook() const noexcept { return pressed_; }
    const Look& DisabledLook() const noexcept { return disabled_; }

protected:
    void OnResize() override;
    bool OnKey(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintFocus(HDC dc) override;

  private:
    void ShowNormal();
    void ShowPressed();
    void ShowDisabled();
    void ApplyBackground();

    // Front to back.
    tk::Label Label1;
    tk::Label Label2;
    tk::Image Image3;
    tk::Image Image2;
    tk::Image Image1{true};
    tk::Image Image13{true};
    tk::Timer Timer1{*this, 0, true}; // holds the Lines flag; never ticks

    Look normal_;
    Look pressed_;
    Look disabled_;
    tk::OleColor backColor_ = 0x8000000Fu;
    short backStyle_ = 0;
    bool pressCancelled_ = false;
    bool spaceDown_ = false;
};

} // namespace zendra
