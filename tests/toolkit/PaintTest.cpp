#include "Control.h"
#include "Image.h"
#include "Label.h"
#include "Shape.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace zendra;
using namespace zendra::tk;

namespace {

class Canvas : public Control {
public:
    Canvas() : Control(L"canvas") {}
};

struct PaintTest : ::testing::Test {
    void SetUp() override {
        Form::SetOnLastUnloaded([] {});
        host.Load();
        canvas.Create(host.Hwnd(), 150, 150, 1500, 1500); // 100 x 100 px
        host.Show();
        test::Pump(30);
    }
    test::HostForm host{3000, 3000, RGB(200, 30, 30)};
    Canvas canvas;
};

} // namespace

TEST_F(PaintTest, ATransparentControlShowsItsHostsBackgroundAndElements) {
    Shape onHost; // an element of the form, under the control's left half
    onHost.SetFilled(true);
    onHost.SetFillColor(RGB(0, 128, 0));
    onHost.Move(150, 150, 750, 1500);
    host.Elements().AddFront(onHost);
    const DibSection pixels = test::Snapshot(canvas.Hwnd());
    EXPECT_EQ(pixels.Color(10, 50), RGB(0, 128, 0));
    EXPECT_EQ(pixels.Color(90, 50), RGB(200, 30, 30));
}

TEST_F(PaintTest, AnOpaqueSurfaceFillsItsBackColor) {
    canvas.Elements().SetOpaque(true);
    canvas.Elements().SetBackColor(RGB(1, 2, 3));
    EXPECT_EQ(test::Snapshot(canvas.Hwnd()).Color(50, 50), RGB(1, 2, 3));
}

TEST_F(PaintTest, PicturesDrawAtTheirSizeOrStretchedAndSkipTheirTransparentColour) {
    // A 4 x 2 picture: left half magenta (the key), right half white.
    const std::uint32_t m = 0xFF00FF, w = 0xFFFFFF;
    Picture keyed = Picture::FromPixels(4, 2, {m, m, w, w, m, m, w, w})
                        .WithTransparentColor(RGB(255, 0, 255));
    Image atSize;
    atSize.SetPicture(keyed);
    EXPECT_EQ(atSize.Width(), 60);
    Image stretched(true);
    stretched.Move(0, 300, 1500, 300); // 100 x 20 px
    stretched.SetPicture(keyed);
    canvas.Elements().AddFront(atSize);
    canvas.Elements().AddFront(stretched);
    const DibSection pixels = test::Snapshot(canvas.Hwnd());
    EXPECT_EQ(pixels.Color(0, 0), RGB(200, 30, 30));  // key colour: the host shows
    EXPECT_EQ(pixels.Color(3, 1), RGB(255, 255, 255));
    EXPECT_EQ(pixels.Color(4, 0), RGB(200, 30, 30));  // beyond the picture's own size
    EXPECT_EQ(pixels.Color(20, 25), RGB(200, 30, 30));
    EXPECT_EQ(pixels.Color(80, 25), RGB(255, 255, 255));
}

TEST_F(PaintTest, AnOpaqueLabelFillsItsBoxAndContainersClipTheirElements) {
    Container panel;
    panel.Move(0, 0, 750, 750); // 50 x 50 px
    Label label;
    label.SetOpaque(true);
    label.SetBackColor(RGB(75, 127, 210));
    label.Move(300, 300, 1500, 300); // reaches beyond the panel
    panel.AddFront(label);
    canvas.Elements().AddFront(panel);
    const DibSection pixels = test::Snapshot(canvas.Hwnd());
    EXPECT_EQ(pixels.Color(30, 25), RGB(75, 127, 210));
    EXPECT_EQ(pixels.Color(60, 25), RGB(200, 30, 30));
}

TEST_F(PaintTest, AnAutoSizedLabelFitsItsText) {
    Label label;
    label.SetAutoSize(true);
    label.SetCaption(L"Check1");
    const int oneWord = label.Width();
    EXPECT_GT(oneWord, 0);
    EXPECT_GT(label.Height(), 0);
    label.SetCaption(L"Check1 Check1");
    EXPECT_GT(label.Width(), oneWord);
}

TEST_F(PaintTest, ATransparentControlShowsTheSiblingWindowsBeneathIt) {
    Canvas bar; // a window beneath, like a title bar under a picture tab
    bar.Create(host.Hwnd(), 150, 1800, 3000, 600);
    bar.Elements().SetOpaque(true);
    bar.Elements().SetBackColor(RGB(0, 0, 200));
    Canvas tab;
    tab.Create(host.Hwnd(), 300, 1950, 405, 330);
    SetWindowPos(tab.Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    test::Pump(30);
    EXPECT_EQ(test::Snapshot(tab.Hwnd()).Color(5, 5), RGB(0, 0, 200));
    // A change of the window beneath repaints the one in front.
    ValidateRect(tab.Hwnd(), nullptr);
    bar.Elements().SetBackColor(RGB(0, 150, 0));
    RECT pending{};
    EXPECT_TRUE(GetUpdateRect(tab.Hwnd(), &pending, FALSE));
    EXPECT_EQ(test::Snapshot(tab.Hwnd()).Color(5, 5), RGB(0, 150, 0));
}
