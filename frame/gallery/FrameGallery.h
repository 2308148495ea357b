// The frame gallery: title-bar windows over a striped backdrop, each in turn the active window
// with the pointer on one of its buttons (tests/frame/gallery.sh photographs every pose).
#pragma once

#include "Form.h"
#include "Leopard.h"
#include "Tiger.h"

#include <memory>
#include <vector>

namespace zendra {

// A striped window behind the frames, so that their transparent corners show.
class Backdrop : public tk::Form {
public:
    Backdrop(int width, int height);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static void PaintStripes(HDC dc, const RECT& area) noexcept;
};

// A borderless window with a title bar across its top and a white body.
class FrameWindow : public tk::Form {
public:
    FrameWindow(std::unique_ptr<TitleBar> bar, std::wstring caption, int width, int height);
    TitleBar& Bar() noexcept { return *bar_; }

protected:
    void CreateControls() override;

private:
    std::unique_ptr<TitleBar> bar_;
};

class FrameGallery {
public:
    FrameGallery();
    void Show();
    // Makes window `pose` (0..3) the active one, the pointer on one of its buttons or off them.
    void Pose(int pose);
    int PoseCount() const noexcept { return static_cast<int>(windows_.size()); }

private:
    Backdrop backdrop_;
    std::vector<std::unique_ptr<FrameWindow>> windows_;
};

} // namespace zendra
