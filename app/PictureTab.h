// A picture tab of the main window: a small child window that lies above the title bar and shows
// its picture, or its pressed picture while it is held. Its window takes the shape of the shown
// picture (the key-coloured pixels around it are cut away), so the title bar shows around it.
#pragma once

#include "Control.h"
#include "Image.h"

namespace zendra {

class PictureTab : public tk::Control {
public:
    // `name` is the picture's (e.g. "Split"); the pressed picture is its "...Down" counterpart.
    PictureTab(std::wstring name, int pictureId, int pressedId);

    // Shows the pressed picture in the picture's place, or the picture again.
    void ShowPressed(bool pressed);
    bool PressedShown() const noexcept { return pressed_.Visible(); }

    tk::Image& Picture() noexcept { return picture_; }
    tk::Image& Pressed() noexcept { return pressed_; }

    // Mouse events of the shown picture (the picture keeps the mouse from press to release).
    tk::Event<const tk::MouseArgs&> MouseDown;
    tk::Event<const tk::MouseArgs&> MouseUp;

protected:
    void OnResize() override;

private:
    void Shape();

    // The bar's row at the tabs' top edge (26 pixels down the tall title bar).
    static constexpr int kBarRow = 26;

    tk::Image barBehind_{true};
    tk::Image picture_;
    tk::Image pressed_;
    tk::Picture plainPicture_; // as drawn, without the transparent colour: the shapes' source
    tk::Picture plainPressed_;
};

} // namespace zendra
