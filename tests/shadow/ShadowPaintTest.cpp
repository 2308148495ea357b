#include "ShadowPaint.h"
#include "DibSection.h"
#include "Handles.h"
#include "LayeredPictures.h"
#include "cWindow.h"

#include <gtest/gtest.h>

namespace zendra {
namespace {

constexpr COLORREF kMarker = RGB(1, 2, 3);

class Canvas {
  public:
    Canvas() : image_(kDesignPictureSize, kDesignPictureSize) {
        PaintBox(image_.Dc(), 0, 0, kDesignPictureSize, kDesignPictureSize, kMarker);
    }
    HDC Dc() const { return image_.Dc(); }
    COLORREF At(int x, int y) const { return GetPixel(image_.Dc(), x, y); }

  private:
    tk::DibSection image_;
};

TEST(ShadowPaint, ResolveColorAsksTheSystemForSystemColours) {
    EXPECT_EQ(ResolveColor(0x8000000F), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ResolveColor(0x80000010), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(ResolveColor(0x00123456), 0x00123456u);
}

TEST(ShadowPaint, PaintBoxFillsWithRightAndBottomExclusive) {
    Canvas canvas;
    PaintBox(canvas.Dc(), 2, 3, 4, 5, RGB(200, 0, 0));
    EXPECT_EQ(canvas.At(2, 3), RGB(200, 0, 0));
    EXPECT_EQ(canvas.At(5, 7), RGB(200, 0, 0));
    EXPECT_EQ(canvas.At(6, 3), kMarker);
    EXPECT_EQ(canvas.At(2, 8), kMarker);
}

TEST(ShadowPaint, DesignPictureIsAWindowWithItsShadow) {
    Canvas canvas;
    PaintDesignPicture(canvas.Dc());
    const COLORREF title = GetSysColor(COLOR_HOTLIGHT);
    const COLORREF body = GetSysColor(COLOR_APPWORKSPACE);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF shade = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(canvas.At(1, 1), title);
    EXPECT_EQ(canvas.At(27, 6), title);
    EXPECT_EQ(canvas.At(1, 8), body);
    EXPECT_EQ(canvas.At(27, 27), body);
    EXPECT_EQ(canvas.At(0, 29), face);
    EXPECT_EQ(canvas.At(3, 29), shade);
    EXPECT_EQ(canvas.At(31, 31), shade);
    EXPECT_EQ(canvas.At(29, 0), face);
    EXPECT_EQ(canvas.At(29, 3), shade);
    // The frame between the boxes stays as it was.
    EXPECT_EQ(canvas.At(0, 0), kMarker);
    EXPECT_EQ(canvas.At(1, 7), kMarker);
    EXPECT_EQ(canvas.At(28, 28), kMarker);
}

// A layered pop-up window, like the shadow's own.
tk::UniqueWindow LayeredWindow() {
    return tk::UniqueWindow(CreateWindowExW(
        WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOPARENTNOTIFY, L"STATIC", L"", WS_POPUP, 0, 0, 0,
        0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
}

RECT Placement(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

void ExpectPlacedAt(HWND window, const StripRect& strip) {
    const RECT rect = Placement(window);
    EXPECT_EQ(rect.left, strip.left);
    EXPECT_EQ(rect.top, strip.top);
    EXPECT_EQ(rect.right - rect.left, strip.width);
    EXPECT_EQ(rect.bottom - rect.top, strip.height);
}

TEST(ShadowRender, StripIsPlacedAndSizedOnItsLayeredWindow) {
    const tk::UniqueWindow right = LayeredWindow();
    const tk::UniqueWindow bottom = LayeredWindow();
    const OwnerRect owner{100, 120, 444, 319};
    const ShadowLook look{10, true, 0, true};
    RenderShadows(right.Get(), bottom.Get(), owner, look, 120);
    ExpectPlacedAt(right.Get(), RightStripRect(owner, 10));
    ExpectPlacedAt(bottom.Get(), BottomStripRect(owner, 10));
}

// The pixels and blend that the windows receive, against the soft profile's formulas for depth
// 10 and the colour red 255, green 128, blue 0 (pixels 0xAARRGGBB, premultiplied).
TEST(ShadowRender, WindowsReceiveTheProfileRightSideUpWithTheConstantAlpha) {
    const tk::UniqueWindow right = LayeredWindow();
    const tk::UniqueWindow bottom = LayeredWindow();
    const test::LayeredPictures seen;
    RenderShadows(right.Get(), bottom.Get(), {100, 120, 60, 40}, {10, true, 0x000080FF, true}, 128);
    const test::LayeredPicture& r = *seen.LastFor(right.Get());
    const test::LayeredPicture& b = *seen.LastFor(bottom.Get());
    ASSERT_EQ(r.lines.size(), 10u * 40);
    ASSERT_EQ(b.lines.size(), 50u * 10);
    for (const auto* picture : {&r, &b}) {
        EXPECT_EQ(picture->blend.SourceConstantAlpha, 128);
        EXPECT_EQ(picture->blend.AlphaFormat, AC_SRC_ALPHA);
        for (int c = 0; c < picture->width; ++c) // both fade out to nothing at their lowest line
            EXPECT_EQ(picture->At(c, 0), 0u) << c;
    }
    EXPECT_EQ(r.At(0, 20), 0xFFFF8000u); // full strength next to the owner
    EXPECT_EQ(r.At(9, 20), 0x19190D00u); // a tenth of it at the outer column
    EXPECT_EQ(r.At(3, 5), 0x58582C00u);  // 127 * 7 / 10 = 88
    EXPECT_EQ(r.At(4, 39), 0x0F0F0800u); // the highest line, 25 * 6 / 10, beside the corner
    for (const auto& [c, row] : {std::pair{9, 39}, {5, 39}, {7, 38}, {8, 37}, {9, 35}})
        EXPECT_EQ(r.At(c, row), 0u) << c << "," << row; // the quarter-round corner
    EXPECT_EQ(b.At(20, 9), 0xE5E57300u);                // the line next to the owner: 229
    EXPECT_EQ(b.At(3, 9), 0x44442200u);                 // 76 * 9 / 10 = 68
    EXPECT_EQ(b.At(49, 9), 0xE5E57300u);                // never cut
}

TEST(ShadowRender, EmptyStripStillReplacesThePicture) {
    const tk::UniqueWindow right = LayeredWindow();
    const OwnerRect owner{50, 60, 200, 100};
    ASSERT_TRUE(RenderShadow(right.Get(), RightStripRect(owner, 10), Strip::Right,
                             {10, true, 0, false}, 120));
    EXPECT_TRUE(RenderShadow(right.Get(), RightStripRect(owner, 0), Strip::Right,
                             {0, true, 0, false}, 120));
    const RECT rect = Placement(right.Get());
    EXPECT_EQ(rect.right - rect.left, 1);
}

TEST(ShadowRender, WindowThatIsNotLayeredRefusesThePicture) {
    const tk::UniqueWindow plain(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                                 nullptr, GetModuleHandleW(nullptr), nullptr));
    EXPECT_FALSE(
        RenderShadow(plain.Get(), {0, 0, 10, 10}, Strip::Right, {10, true, 0, false}, 120));
}

TEST(ShadowRender, NegativeTransparencyIsAccepted) {
    const tk::UniqueWindow right = LayeredWindow();
    EXPECT_TRUE(RenderShadow(right.Get(), {0, 0, 10, 30}, Strip::Right, {10, true, 0, false}, -40));
}

class NoMessages : public iWindow {
  public:
    void WndProc(bool&, LRESULT&, HWND&, UINT&, WPARAM&, LPARAM&) noexcept override {}
};

TEST(ShadowRender, ShadowWindowsOfAnOwnClassTakeTheirPictures) {
    const tk::UniqueWindow owner(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 30, 40, 300, 200,
                                                 nullptr, nullptr, GetModuleHandleW(nullptr),
                                                 nullptr));
    NoMessages callback;
    cWindow shadows;
    shadows.Owner(callback);
    ASSERT_TRUE(shadows.WindowClassRegister(L"ZendraTestShadowCls", 0x00FFFFFF, 0, nullptr, nullptr,
                                            nullptr, 0, 0));
    const DWORD style = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOPARENTNOTIFY;
    const HWND right =
        shadows.WindowCreate(style, WS_POPUP, 0, 0, 0, 0, 0, L"", owner.Get(), nullptr, nullptr);
    const HWND bottom =
        shadows.WindowCreate(style, WS_POPUP, 0, 0, 0, 0, 0, L"", owner.Get(), nullptr, nullptr);
    ASSERT_NE(right, nullptr);
    ASSERT_NE(bottom, nullptr);
    const OwnerRect at{30, 40, 300, 200};
    RenderShadows(right, bottom, at, {12, true, 0, false}, 120);
    ExpectPlacedAt(right, RightStripRect(at, 12));
    ExpectPlacedAt(bottom, BottomStripRect(at, 12));
}

} // namespace
} // namespace zendra
