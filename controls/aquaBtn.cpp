#include "aquaBtn.h"

#include "Artwork.h"
#include "Language.h"

namespace zendra {

namespace {

constexpr tk::OleColor kDefaultBackColor = 0x8000000Fu;
constexpr wchar_t kDefaultCaption[] = L"aquaButton";
constexpr int kHeight = 345; // 23 pixels: the pieces' height

tk::Picture Cap(int id) {
    return tk::Picture::FromResource(id).WithTransparentColor(art::kKeyColour);
}

tk::FontDesc CaptionFont() {
    return tk::SimSunOrMessageFont(
        tk::FontDesc{L"宋体", 9, FW_BOLD, false, false, false, ANSI_CHARSET});
}

} // namespace

aquaBtn::aquaBtn(std::wstring name) : Control(std::move(name)) {
    normal_ = {Cap(IDB_AQUA_NORMAL_LEFT), tk::Picture::FromResource(IDB_AQUA_NORMAL_MID),
               Cap(IDB_AQUA_NORMAL_RIGHT)};
    pressed_ = {Cap(IDB_AQUA_PRESSED_LEFT), tk::Picture::FromResource(IDB_AQUA_PRESSED_MID),
                Cap(IDB_AQUA_PRESSED_RIGHT)};
    disabled_ = {Cap(IDB_AQUA_DISABLED_LEFT), tk::Picture::FromResource(IDB_AQUA_DISABLED_MID),
                 Cap(IDB_AQUA_DISABLED_RIGHT)};

    Image13.SetPicture(tk::Picture::FromResource(IDB_AQUA_PINSTRIPE));
    Image13.Move(0, 0, 1200, 615);
    Image13.SetVisible(false);
    Image1.Move(230, 0, 30, kHeight);
    Image2.Move(0, 0, 225, kHeight);
    Image3.Move(975, 0, 225, kHeight);
    ShowNormal();

    Label2.SetFont(CaptionFont());
    Label2.SetForeColor(0);
    Label2.SetAlignment(tk::Alignment::Center);
    Label2.SetCaption(kDefaultCaption);
    Label2.Move(0, 70, 1200, 255);
    Label1.Move(0, 10, 1200, kHeight);

    for (tk::Element* e : {static_cast<tk::Element*>(&Image13), static_cast<tk::Element*>(&Image1),
                           static_cast<tk::Element*>(&Image2), static_cast<tk::Element*>(&Image3),
                           static_cast<tk::Element*>(&Label2), static_cast<tk::Element*>(&Label1)})
        Elements().AddFront(*e);
    ApplyBackground();

    Label1.MouseDown.Handle([this](const tk::MouseArgs& a) {
        pressCancelled_ = false;
        MouseDown(static_cast<short>(a.button), static_cast<short>(a.shift), a.x, a.y);
        // A handler that took the mouse away (a modal box) has ended the press already.
        if (!pressCancelled_) ShowPressed();
    });
    Label1.MouseUp.Handle([this](const tk::MouseArgs& a) {
        if (a.button == tk::kLeftButton && Hwnd() != nullptr) SetFocus(Hwnd());
        MouseUp(static_cast<short>(a.button), static_cast<short>(a.shift), a.x, a.y);
        ShowNormal();
    });
    Label1.MouseMove.Handle([this](const tk::MouseArgs& a) {
        MouseMove(static_cast<short>(a.button), static_cast<short>(a.shift), a.x, a.y);
    });
    // The mouse went elsewhere before the release: the look of the state the button is in, and
    // no event (a MouseUp would run the host's release action).
    Label1.PressCancelled.Handle([this] {
        pressCancelled_ = true;
        if (Label1.Enabled())
            ShowNormal();
        else
            ShowDisabled();
    });
    Label1.Click.Handle([this] { Click(); });
    Label1.DblClick.Handle([this] { DblClick(); });
}

void aquaBtn::ShowNormal() {
    Image2.SetPicture(normal_.left);
    Image1.SetPicture(normal_.middle);
    Image3.SetPicture(normal_.right);
}

void aquaBtn::ShowPressed() {
    Image2.SetPicture(pressed_.left);
    Image1.SetPicture(pressed_.middle);
    Image3.SetPicture(pressed_.right);
}

void aquaBtn::ShowDisabled() {
    Image1.SetPicture(disabled_.middle);
    Image2.SetPicture(disabled_.left);
    Image3.SetPicture(disabled_.right);
}

void aquaBtn::ApplyBackground() {
    Elements().SetOpaque(backStyle_ == 1);
    Elements().SetBackColor(backColor_);
}

void aquaBtn::SetBackColor(tk::OleColor color) {
    backColor_ = color;
    ApplyBackground();
    PropertyChanged("BackColor");
}

void aquaBtn::SetEnabled(bool enabled) {
    Label1.SetEnabled(enabled);
    PropertyChanged("Enabled");
    if (Label1.Enabled())
        ShowNormal();
    else
        ShowDisabled();
}

void aquaBtn::SetBackStyle(short style) {
    backStyle_ = style;
    ApplyBackground();
    PropertyChanged("BackStyle");
}

void aquaBtn::SetCaption(std::wstring caption) {
    Label2.SetCaption(std::move(caption));
    PropertyChanged("Caption");
}

void aquaBtn::SetLines(bool lines) {
    Timer1.SetEnabled(lines);
    PropertyChanged("Lines");
    Image13.SetVisible(lines);
}

void aquaBtn::ReadProperties(const tk::PropertyBag& bag) {
    // Reading changes no picture: a stored disabled button keeps the normal look, and the
    // backdrop stays hidden, until the property is set.
    backColor_ = bag.ReadColor("BackColor", kDefaultBackColor);
    Label1.SetEnabled(bag.ReadBool("Enabled", true));
    backStyle_ = static_cast<short>(bag.ReadInt("BackStyle", 0));
    Label2.SetCaption(bag.ReadString("Caption", kDefaultCaption));
    Timer1.SetEnabled(bag.ReadBool("Lines", true));
    ApplyBackground();
}

void aquaBtn::WriteProperties(tk::PropertyBag& bag) const {
    bag.WriteColor("BackColor", backColor_, kDefaultBackColor);
    bag.WriteBool("Enabled", Label1.Enabled(), true);
    bag.WriteInt("BackStyle", backStyle_, 0);
    bag.WriteString("Caption", Label2.Caption(), kDefaultCaption);
    bag.WriteBool("Lines", Timer1.Enabled(), true);
}

void aquaBtn::PerformClick() {
    if (!Label1.Enabled()) return;
    const float x = static_cast<float>(Width()) / 2, y = static_cast<float>(Height()) / 2;
    pressCancelled_ = false;
    MouseDown(tk::kLeftButton, 0, x, y);
    if (!pressCancelled_) ShowPressed();
    MouseUp(tk::kLeftButton, 0, x, y);
    ShowNormal();
    Click();
}

bool aquaBtn::OnKey(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Label1.Enabled()) return false;
    const bool repeat = (lParam & (1 << 30)) != 0;
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        tk::ShowKeyboardCues();
        if (!repeat) PerformClick();
        return true;
    }
    if (message == WM_KEYDOWN && wParam == VK_SPACE) {
        tk::ShowKeyboardCues();
        // Pressed while the key is held, clicked when it is let go, as a system button is.
        if (!repeat) {
            spaceDown_ = true;
            ShowPressed();
        }
        return true;
    }
    if (message == WM_KEYUP && wParam == VK_SPACE && spaceDown_) {
        spaceDown_ = false;
        ShowNormal();
        PerformClick();
        return true;
    }
    return message == WM_CHAR && wParam == L' ';
}

void aquaBtn::PaintFocus(HDC dc) {
    // An aqua focus ring: a blue rounded outline just inside the caps.
    RECT r{};
    GetClientRect(Hwnd(), &r);
    const tk::UniquePen pen(CreatePen(PS_SOLID, 2, RGB(72, 134, 222)));
    const HGDIOBJ oldPen = SelectObject(dc, pen.Get());
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, r.left + 1, r.top + 1, r.right, r.bottom, r.bottom - 2, r.bottom - 2);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

void aquaBtn::OnResize() {
    const int w = Width();
    if (Height() != kHeight) SetHeight(kHeight);
    Image3.SetLeft(w - Image3.Width());
    // Narrower than the caps need: the middle keeps its width and the caps overlap.
    const int middle = w - Image1.Left() - Image3.Width();
    if (middle >= 0) Image1.SetWidth(middle);
    Label1.SetHeight(Height());
    Label1.SetWidth(w);
    Label2.SetWidth(w);
    Image13.SetWidth(w);
}

} // namespace zendra
