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
    Elements().AddFront(picture_);
    Elements().AddFront(pressed_);
    picture_.MouseDown.Handle([this](const tk::MouseArgs& a) { MouseDown(a); });
    picture_.MouseUp.Handle([this](const tk::MouseArgs& a) { MouseUp(a); });
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
        int x = 0;
        while (x < pixels.Width()) {
            while (x < pixels.Width() && pixels.Color(x, y) == art::kKeyColour) ++x;
            const int start = x;
            while (x < pixels.Width() && pixels.Color(x, y) != art::kKeyColour) ++x;
            if (x > start) {
                tk::UniqueRegion run(CreateRectRgn(start, y, x, y + 1));
                CombineRgn(region.Get(), region.Get(), run.Get(), RGN_OR);
            }
        }
    }
    // The window owns the region once it is set.
    if (SetWindowRgn(Hwnd(), region.Get(), TRUE)) region.Release();
}

} // namespace zendra
