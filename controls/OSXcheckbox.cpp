#include "OSXcheckbox.h"

#include "Artwork.h"

namespace zendra {

namespace {

constexpr tk::OleColor kDefaultBackColor = 0x8000000Fu;
constexpr int kBoxSize = 240; // twips
constexpr int kCaptionLeft = 480;

short ShiftKeys() {
    return static_cast<short>((GetKeyState(VK_SHIFT) < 0 ? tk::kShiftKey : 0) |
                              (GetKeyState(VK_CONTROL) < 0 ? tk::kCtrlKey : 0) |
                              (GetKeyState(VK_MENU) < 0 ? tk::kAltKey : 0));
}

} // namespace

OSXcheckbox::OSXcheckbox(std::wstring name)
    : Control(std::move(name)), font_(tk::DefaultFont()) {
    pc = tk::Picture::FromResource(IDB_CHECKBOX_CELLS);
    p.Move(0, 0, kBoxSize, kBoxSize);
    cell_.SetEnabled(false); // the mouse lands on the box itself
    p.AddFront(cell_);
    lbl.SetAutoSize(true);
    lbl.SetCaption(L"Check1");
    lbl.SetLeft(kCaptionLeft);
    Elements().AddFront(p);
    Elements().AddFront(lbl);
    for (tk::Element* part : {static_cast<tk::Element*>(&Elements()), static_cast<tk::Element*>(&p),
                              static_cast<tk::Element*>(&lbl)})
        HookMouse(*part);
    Timer1.Tick.Handle([this] { OnLeaveWatch(); });

    // A new instance: its own name as caption, enabled, unchecked, the host's font and colours.
    SetCaption(Name());
    SetEnabled(true);
    SetValue(0);
    SetFont(tk::DefaultFont());
    SetBackColor(kDefaultBackColor);
    SetForeColor(0);
    Elements().SetOpaque(true);
}

void OSXcheckbox::HookMouse(tk::Element& part) {
    part.MouseDown.Handle([this](const tk::MouseArgs& a) { OnMouseDown(a); });
    part.MouseMove.Handle([this](const tk::MouseArgs& a) { OnMouseMove(a); });
    part.MouseUp.Handle([this](const tk::MouseArgs& a) {
        MouseUp(static_cast<short>(a.button), static_cast<short>(a.shift), a.x, a.y);
    });
    part.Click.Handle([this] { OnClick(); });
    // The mouse went elsewhere before the release: no click, the normal look.
    part.PressCancelled.Handle([this] { DrawNormal(); });
}

void OSXcheckbox::ShowCell(int cell) {
    shownCell_ = cell;
    cell_.SetPicture(pc.Cell(0, cell * art::kCheckCellHeight, art::kCheckCellWidth,
                             art::kCheckCellHeight));
}

void OSXcheckbox::DrawNormal() {
    if (!Enabled()) {
        DrawDisabled();
        return;
    }
    if (value_ >= 0 && value_ <= 2) ShowCell(value_ * 4);
}

void OSXcheckbox::DrawDisabled() {
    if (value_ >= 0 && value_ <= 2) ShowCell(value_ * 4 + 3);
}

void OSXcheckbox::ApplyCaptionColor() {
    lbl.SetForeColor(Enabled() ? foreColor_ : kDisabledTextColor);
}

void OSXcheckbox::SetValue(std::int32_t value) {
    value_ = value;
    DrawNormal();
    PropertyChanged("Value");
}

void OSXcheckbox::SetCaption(std::wstring caption) {
    lbl.SetCaption(std::move(caption));
    OnResize();
    PropertyChanged("Caption");
}

void OSXcheckbox::SetEnabled(bool enabled) {
    // The window stays enabled: a disabled box still reports the mouse to its host.
    enabled_ = enabled;
    if (!enabled && Hwnd() != nullptr && GetFocus() == Hwnd()) SetFocus(nullptr);
    if (enabled)
        DrawNormal();
    else
        DrawDisabled();
    ApplyCaptionColor();
    PropertyChanged("Enabled");
}

void OSXcheckbox::SetFont(const tk::FontDesc& font) {
    font_ = font;
    lbl.SetFont(font);
    OnResize();
    PropertyChanged("Font");
}

void OSXcheckbox::SetBackColor(tk::OleColor color) {
    backColor_ = color;
    PropertyChanged("BackColor");
    Elements().SetBackColor(color);
}

void OSXcheckbox::SetForeColor(tk::OleColor color) {
    foreColor_ = color;
    PropertyChanged("ForeColor");
    ApplyCaptionColor();
}

void OSXcheckbox::ReadProperties(const tk::PropertyBag& bag) {
    SetValue(bag.ReadInt("Value", 0));
    SetCaption(bag.ReadString("Caption", Name()));
    SetEnabled(bag.ReadBool("Enabled", true));
    SetFont(bag.ReadFont("Font", tk::DefaultFont()));
    SetBackColor(bag.ReadColor("BackColor", kDefaultBackColor));
    SetForeColor(bag.ReadColor("ForeColor", 0));
}

void OSXcheckbox::WriteProperties(tk::PropertyBag& bag) const {
    bag.WriteFont("Font", font_, tk::DefaultFont());
    bag.WriteInt("Value", value_, 0);
    bag.WriteString("Caption", lbl.Caption(), Name());
    bag.WriteBool("Enabled", Enabled(), true);
    bag.WriteColor("BackColor", backColor_, kDefaultBackColor);
    bag.WriteColor("ForeColor", foreColor_, 0);
}

void OSXcheckbox::OnResize() {
    const int h = Height();
    p.Move(0, (h - kBoxSize) / 2, kBoxSize, kBoxSize);
    lbl.SetTop((h - lbl.Height()) / 2);
    lbl.SetLeft(kCaptionLeft);
}

void OSXcheckbox::OnMouseDown(const tk::MouseArgs& a) {
    if (Enabled()) {
        if (Hwnd() != nullptr) SetFocus(Hwnd());
        if (value_ >= 0 && value_ <= 2) ShowCell(value_ * 4 + 2);
    }
    MouseDown(static_cast<short>(a.button), static_cast<short>(a.shift), a.x, a.y);
}

void OSXcheckbox::OnMouseMove(const tk::MouseArgs& a) {
    Timer1.SetEnabled(true);
    if (a.x < 0 || a.y < 0 || a.x > Width() || a.y > Height()) return;
    MouseMove(static_cast<short>(a.button), static_cast<short>(a.shift), a.x, a.y);
    if (Enabled() && value_ >= 0 && value_ <= 2)
        ShowCell(value_ * 4 + (a.button == tk::kLeftButton ? 2 : 1));
}

void OSXcheckbox::OnClick() {
    if (!Enabled()) return;
    Click();
    // A click never produces the mixed value.
    SetValue(value_ == 0 ? 1 : 0);
    DrawNormal();
}

void OSXcheckbox::OnLeaveWatch() {
    if (Hwnd() == nullptr) return;
    POINT pointer{};
    GetCursorPos(&pointer);
    ScreenToClient(Hwnd(), &pointer);
    RECT client{};
    GetClientRect(Hwnd(), &client);
    // The edges count as inside.
    if (pointer.x < 0 || pointer.y < 0 || pointer.x > client.right || pointer.y > client.bottom) {
        DrawNormal();
        Timer1.SetEnabled(false);
        MouseExit();
    }
}

bool OSXcheckbox::OnKey(UINT message, WPARAM wParam, LPARAM lParam) {
    // The keys are passed on; Space also toggles, pressed look while held. A disabled box has
    // no keyboard.
    if (!Enabled()) return false;
    switch (message) {
    case WM_KEYDOWN:
        KeyDown(static_cast<short>(wParam), ShiftKeys());
        if (wParam == VK_SPACE && (lParam & (1 << 30)) == 0) {
            tk::ShowKeyboardCues();
            spaceDown_ = true;
            if (value_ >= 0 && value_ <= 2) ShowCell(value_ * 4 + 2);
        }
        // Enter and Esc go on to the form.
        return wParam != VK_RETURN && wParam != VK_ESCAPE;
    case WM_KEYUP:
        KeyUp(static_cast<short>(wParam), ShiftKeys());
        if (wParam == VK_SPACE && spaceDown_) {
            spaceDown_ = false;
            OnClick();
        }
        return true;
    case WM_CHAR: KeyPress(static_cast<short>(wParam)); return true;
    default: return false;
    }
}

void OSXcheckbox::PaintFocus(HDC dc) {
    // The aqua focus ring around the box.
    const int top = tk::TwipsToPixels(p.Top());
    const tk::UniquePen pen(CreatePen(PS_SOLID, 2, RGB(72, 134, 222)));
    const HGDIOBJ oldPen = SelectObject(dc, pen.Get());
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, 1, top + 1, 16, top + 16, 5, 5);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

} // namespace zendra
