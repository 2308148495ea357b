#include "Frmabout.h"

#include "FormHelpers.h"

#include "Artwork.h"

namespace zendra {

namespace {

// A label at its place; a text wider than the place widens it about the same centre, so that
// no font the system substitutes cuts it off.
void PlaceCentred(tk::Container& form, tk::Label& label, const wchar_t* caption, int left, int top,
                  int width, int height) {
    label.SetAlignment(tk::Alignment::Center);
    label.SetAutoSize(true);
    label.SetCaption(caption);
    const int fitted = std::max(width, label.Width() + 150); // and some pixels to spare
    label.SetAutoSize(false);
    label.Move(left - (fitted - width) / 2, top, fitted, std::max(height, label.Height()));
    form.AddFront(label);
}

} // namespace

Frmabout::Frmabout() : tk::Form(L"Form2", 3480, 2895) {
    SetBackColor(kWindowWhite);
    SetDesign({{L"Tiger1",
                {{"Caption", std::wstring(L"About Zendra")},
                 {"MinEnabled", false},
                 {"ZoomEnabled", false}}},
               {L"ucShadow2", {}}});
}

void Frmabout::CreateControls() {
    CreateControl(Tiger1, 0, 0, 3480, 345);
    CreateControl(ucShadow2, 0, 0, 480, 480);
    Image1.SetPicture(tk::Picture::FromResource(IDB_LOGO));
    Image1.Move(1275, 480, 720, 720);
    Elements().AddFront(Image1);
    Label1.SetFont(tk::FontDesc{L"Arial", 15, FW_BOLD});
    Label2.SetFont(tk::FontDesc{L"Arial", 10.5, FW_NORMAL});
    PlaceCentred(Elements(), Label1, L"Zendra", 1305, 1320, 675, 375);
    PlaceCentred(Elements(), Label2, L"1.0 (v22)", 1200, 1740, 945, 255);
    PlaceCentred(Elements(), Label3, L"A simple file splitter.", 600, 2070, 2175, 285);
    PlaceCentred(Elements(), Label4, L"Free software. No warranty.", 630, 2400, 1965, 255);
    Shape1.SetBorderColor(kEdgeGrey);
    Elements().AddFront(Shape1);
}

void Frmabout::OnLoad() {
    ConfigureShadow(ucShadow2);
    Skipping([&] { Shape1.Move(0, 0, Width(), Height()); });
    Skipping([&] { Tiger1.SetWidth(Width()); });
    firstFrame_.Hold(Hwnd(), ucShadow2);
}

LRESULT Frmabout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRevealMessage) return Form::HandleMessage(message, wParam, lParam);
    firstFrame_.Reveal();
    return 0;
}

bool Frmabout::OnDialogKey(HWND from, WPARAM key) {
    if (key != VK_ESCAPE) return Form::OnDialogKey(from, key);
    Unload();
    return true;
}

} // namespace zendra
