#include "PictureTab.h"

#include "Artwork.h"
#include "DibSection.h"

namespace zendra {

PictureTab::PictureTab(std::wstring name, int pictureId, int pressedId) : tk::Control(std::move(name)) {
    const COLORREF key = art::kKeyColour;
    plainPicture_ = tk::Picture::FromResource(pictureId);
    plainPressed_ = tk::Picture::FromResource(pressedId);
    picture_.SetPicture(plainPicture_.WithTransparentColor(key));
    pressed_.SetPicture(plainPressed_.WithTransparentColor(key));
    pressed_.SetVisible(false);
    // Behind the picture, the active bar's rows at the tab's height.
    const tk::Picture bar = tk::Picture::FromResource(IDB_LEOPARD_ACTIVE_MID);
    barBehind_.SetPicture(bar.Cell(0, kBarRow, bar.Width(), plainPicture_.Height()));
    barBehind_.Move(0, 0, tk::PixelsToTwips(plainPicture_.Width()), tk::PixelsToTwips(plainPicture_.Height()));
    Elements().AddFront(barBehind_);
    Elements().AddFront(picture_);
    Elements().AddFront(pressed_);
    picture_.MouseDown.Handle([this](const tk::MouseArgs& a) { MouseDown(a); });
    picture_.MouseUp.Handle([this](const tk::MouseArgs& a) { MouseUp(a); });
    // A press that lost the mouse ends without a release: the tab looks as before it.
    picture_.PressCancelled.Handle([this] { ShowPressed(false); });
}

void PictureTab::ShowPressed(bool pressed) {
    // The pressed picture is moved onto the picture before it shows.
    pressed_.Move(picture_.Left(), picture_.Top(), pressed_.Width(), pressed_.Height());
    picture_.SetVisible(!pressed);
    pressed_.SetVisible(pressed);
    Shape();
}

void PictureTab::OnResize() { Shape(); }

void PictureTab::Shape() {
    if (Hwnd() == nullptr) return;
    const tk::Picture& plain = pressed_.Visible() ? plainPressed_ : plainPicture_;
    tk::DibSection pixels(plain.Width(), plain.Height());
    plain.Draw(pixels.Dc(), 0, 0);
    tk::UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    for (int y = 0; y < pixels.Height(); ++y) {
        // From the row's first drawn pixel to its last: holes inside the picture (the gear's
        // centre) still take clicks and show the bar's own colour.
        int first = 0;
        int last = pixels.Width() - 1;
        while (first <= last && pixels.Color(first, y) == art::kKeyColour) ++first;
        while (last >= first && pixels.Color(last, y) == art::kKeyColour) --last;
        if (first > last) continue;
        tk::UniqueRegion run(CreateRectRgn(first, y, last + 1, y + 1));
        CombineRgn(region.Get(), region.Get(), run.Get(), RGN_OR);
    }
    // The window owns the region once it is set.
    if (SetWindowRgn(Hwnd(), region.Get(), TRUE)) region.Release();
}

} // namespace zendra
