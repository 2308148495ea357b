#include "ProgressBar.h"

#include "Artwork.h"
#include "Units.h"

#include <algorithm>
#include <cmath>

namespace zendra {

namespace {

constexpr int kHeight = 345; // 23 pixels: the pieces' height

tk::Picture Cap(int id) {
    return tk::Picture::FromResource(id).WithTransparentColor(art::kKeyColour);
}

} // namespace

ProgressBar::ProgressBar(std::wstring name) : Control(std::move(name)) {
    trackLeft_.SetPicture(Cap(IDB_AQUA_DISABLED_LEFT));
    trackMiddle_.SetPicture(tk::Picture::FromResource(IDB_AQUA_DISABLED_MID));
    trackRight_.SetPicture(Cap(IDB_AQUA_DISABLED_RIGHT));
    fillLeft_.SetPicture(Cap(IDB_AQUA_PRESSED_LEFT));
    fillMiddle_.SetPicture(tk::Picture::FromResource(IDB_AQUA_PRESSED_MID));
    fillRight_.SetPicture(Cap(IDB_AQUA_PRESSED_RIGHT));
    for (tk::Image* piece : {&fillMiddle_, &fillLeft_, &fillRight_})
        fill_.AddFront(*piece);
    for (tk::Element* e :
         {static_cast<tk::Element*>(&trackMiddle_), static_cast<tk::Element*>(&trackLeft_),
          static_cast<tk::Element*>(&trackRight_), static_cast<tk::Element*>(&fill_)})
        Elements().AddFront(*e);
    // The caps' corners show the host behind the bar.
    Elements().SetOpaque(false);
}

void ProgressBar::SetProgress(std::uint64_t done, std::uint64_t total) {
    done_ = done;
    total_ = total;
    PlaceFill();
}

void ProgressBar::OnResize() {
    if (Height() != kHeight) SetHeight(kHeight);
    PlacePieces(trackLeft_, trackMiddle_, trackRight_);
    PlacePieces(fillLeft_, fillMiddle_, fillRight_);
    PlaceFill();
}

void ProgressBar::PlacePieces(tk::Image& left, tk::Image& middle, tk::Image& right) {
    const int w = Width();
    left.Move(0, 0, left.Width(), kHeight);
    right.Move(std::max(0, w - right.Width()), 0, right.Width(), kHeight);
    // Narrower than both caps: the caps overlap and the middle has nothing to fill.
    middle.Move(left.Width(), 0, std::max(0, w - left.Width() - right.Width()), kHeight);
}

void ProgressBar::PlaceFill() {
    const int pixels = Width() / tk::kTwipsPerPixel;
    int filled = 0;
    if (total_ > 0 && done_ >= total_)
        filled = pixels;
    else if (total_ > 0)
        filled = static_cast<int>(
            std::floor(static_cast<double>(done_) / static_cast<double>(total_) * pixels));
    fill_.Move(0, 0, filled * tk::kTwipsPerPixel, kHeight);
}

} // namespace zendra
