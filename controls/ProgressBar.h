// A progress bar in the push button's look, always 23 pixels high: the disabled button's flat
// white pieces with grey edges make the track, and the pressed button's blue gloss fills it from
// the left up to the share that is done, ending straight there.
#pragma once

#include "Control.h"
#include "Image.h"

#include <cstdint>

namespace zendra {

class ProgressBar : public tk::Control {
  public:
    explicit ProgressBar(std::wstring name = L"ProgressBar1");

    // `done` of `total`: nothing filled for a total of 0, everything for done at or beyond total.
    void SetProgress(std::uint64_t done, std::uint64_t total);
    // The filled width in twips, a whole number of pixels.
    int FilledWidth() const noexcept { return fill_.Width(); }

  protected:
    void OnResize() override;

  private:
    void PlacePieces(tk::Image& left, tk::Image& middle, tk::Image& right);
    void PlaceFill();

    // Front to back: the fill clips its full-width pieces to the done part.
    tk::Container fill_;
    tk::Image fillLeft_, fillMiddle_{true}, fillRight_;
    tk::Image trackLeft_, trackMiddle_{true}, trackRight_;
    std::uint64_t done_ = 0;
    std::uint64_t total_ = 0;
};

} // namespace zendra
