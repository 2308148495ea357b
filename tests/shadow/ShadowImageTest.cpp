#include "ShadowImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace zendra {
namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;

struct Image {
    std::int32_t width;
    std::int32_t height;
    std::vector<std::byte> bytes;

    int Byte(std::int32_t c, std::int32_t r, int index) const {
        return std::to_integer<int>(
            bytes.at(4 * (static_cast<std::size_t>(r) * width + c) + index));
    }
    int Alpha(std::int32_t c, std::int32_t r) const { return Byte(c, r, 3); }
};

Image Render(Strip strip, std::int32_t width, std::int32_t height, ShadowLook look) {
    return {width, height, RenderStrip(strip, width, height, look)};
}

ShadowLook Soft(std::int32_t depth = 10, std::uint32_t color = kWhite, bool luna = false) {
    return {depth, true, color, luna};
}

// Geometry -------------------------------------------------------------------------------------

TEST(ShadowGeometry, StripsLieAlongTheRightAndBottomEdgesMovedByTheDepth) {
    const OwnerRect owner{100, 200, 444, 319};
    const StripRect right = RightStripRect(owner, 10);
    const StripRect bottom = BottomStripRect(owner, 10);
    EXPECT_EQ((std::vector<int>{right.left, right.top, right.width, right.height}),
              (std::vector<int>{544, 210, 10, 319}));
    EXPECT_EQ((std::vector<int>{bottom.left, bottom.top, bottom.width, bottom.height}),
              (std::vector<int>{110, 519, 434, 10}));
}

TEST(ShadowGeometry, OwnerNoWiderThanTheDepthHasNoBottomStrip) {
    EXPECT_EQ(BottomStripRect({0, 0, 10, 50}, 10).width, 0);
    EXPECT_EQ(BottomStripRect({0, 0, 4, 50}, 10).width, 0);
    EXPECT_EQ(RightStripRect({0, 0, 4, 50}, 10).width, 10);
}

TEST(ShadowGeometry, DepthZeroGivesEmptyStripsWithoutDividing) {
    const OwnerRect owner{0, 0, 100, 80};
    EXPECT_EQ(RightStripRect(owner, 0).width, 0);
    EXPECT_EQ(BottomStripRect(owner, 0).height, 0);
    EXPECT_TRUE(RenderStrip(Strip::Right, 0, 80, Soft(0)).empty());
    EXPECT_TRUE(RenderStrip(Strip::Bottom, 100, 0, Soft(0)).empty());
    EXPECT_EQ(StripAlpha(Strip::Right, 0, 0, 1, 1, Soft(0)), 0);
}

// Colour arithmetic ----------------------------------------------------------------------------

TEST(ShadowColour, PremultipliedPixelWorkedExamples) {
    // red 255, green 128, blue 0 at alpha 128: blue 0, green 64, red 128, alpha 128.
    EXPECT_EQ(PremultipliedPixel(0x000080FF, 128), 0x80804000u);
    // red 64, green 128, blue 255 at alpha 229: blue 229, green 115, red 57, alpha 229.
    EXPECT_EQ(PremultipliedPixel(0x00FF8040, 229), 0xE53973E5u);
}

TEST(ShadowColour, PremultiplyRoundsToTheNearestIntegerForEveryValue) {
    for (std::uint32_t component = 0; component < 256; ++component)
        for (std::int32_t alpha = 0; alpha < 256; ++alpha) {
            const std::uint32_t exact = (component * alpha * 2 + 255) / 510;
            ASSERT_EQ(PremultipliedPixel(component, alpha) >> 16 & 0xFF, exact)
                << component << " at " << alpha;
        }
}

TEST(ShadowColour, SystemColoursAreResolvedOthersKept) {
    std::vector<std::int32_t> asked;
    const auto lookup = [&asked](std::int32_t index) {
        asked.push_back(index);
        return std::uint32_t{0x00ABCDEF};
    };
    EXPECT_EQ(ResolveColorWith(0x8000000F, lookup), 0x00ABCDEFu);
    EXPECT_EQ(ResolveColorWith(0x00123456, lookup), 0x00123456u);
    EXPECT_EQ(asked, (std::vector<std::int32_t>{15}));
}

TEST(ShadowColour, NegativeTransparencyIsFullyTransparent) {
    EXPECT_EQ(ConstantAlpha(120), 120);
    EXPECT_EQ(ConstantAlpha(255), 255);
    EXPECT_EQ(ConstantAlpha(-1), 0);
    EXPECT_EQ(ConstantAlpha(-255), 0);
}

// Soft profile, the worked values for a depth of 10 ----------------------------------------------

TEST(ShadowSoftProfile, RightStripColumnsFadeOutwards) {
    const Image image = Render(Strip::Right, 10, 40, Soft());
    std::vector<int> row20;
    for (int c = 0; c < 10; ++c)
        row20.push_back(image.Alpha(c, 20));
    EXPECT_EQ(row20, (std::vector<int>{255, 229, 204, 178, 153, 127, 102, 76, 51, 25}));
}

TEST(ShadowSoftProfile, RightStripRowsRiseFromTheBottomAndFadeAtTheTop) {
    const Image image = Render(Strip::Right, 10, 40, Soft());
    std::vector<int> lowest, highest;
    for (int r = 0; r < 10; ++r)
        lowest.push_back(image.Alpha(0, r));
    for (int r = 30; r < 40; ++r)
        highest.push_back(image.Alpha(0, r));
    EXPECT_EQ(lowest, (std::vector<int>{0, 25, 51, 76, 102, 127, 153, 178, 204, 229}));
    EXPECT_EQ(highest, (std::vector<int>{255, 229, 204, 178, 153, 127, 102, 76, 51, 25}));
    EXPECT_EQ(image.Alpha(3, 5), 88);
}

TEST(ShadowSoftProfile, BottomStripFadesDownwardsAndAtItsLeftEnd) {
    const Image image = Render(Strip::Bottom, 50, 10, Soft());
    std::vector<int> column20, strengths;
    for (int r = 0; r < 10; ++r)
        column20.push_back(image.Alpha(20, r));
    for (int c = 0; c < 10; ++c)
        strengths.push_back(BottomColumnStrength(c, 10));
    EXPECT_EQ(column20, (std::vector<int>{0, 25, 51, 76, 102, 127, 153, 178, 204, 229}));
    EXPECT_EQ(strengths, (std::vector<int>{0, 25, 51, 76, 102, 127, 153, 178, 204, 229}));
    EXPECT_EQ(image.Alpha(3, 9), 68);
}

TEST(ShadowSoftProfile, ShortRightStripTakesTheRisingRampFirst) {
    const Image image = Render(Strip::Right, 10, 15, Soft());
    EXPECT_EQ(image.Alpha(0, 7), 178); // within the depth of both ends: rising ramp
    EXPECT_EQ(image.Alpha(0, 12), 76); // (15 - 12) * 255 / 10
}

// Image layout and variants --------------------------------------------------------------------

TEST(ShadowImageLayout, RowsBottomUpFourBytesBlueGreenRedAlphaPremultiplied) {
    const Image image = Render(Strip::Bottom, 20, 10, Soft(10, 0x00FF8040));
    // Row 9, column 15: alpha 229 in the colour of the second worked example.
    EXPECT_EQ(image.bytes.size(), 20u * 10u * 4u);
    EXPECT_EQ(image.Byte(15, 9, 0), 229);
    EXPECT_EQ(image.Byte(15, 9, 1), 115);
    EXPECT_EQ(image.Byte(15, 9, 2), 57);
    EXPECT_EQ(image.Byte(15, 9, 3), 229);
    EXPECT_EQ(image.Alpha(15, 0), 0); // the lowest screen line is row 0
}

TEST(ShadowImageLayout, HardProfileIsTheFullColourEverywhere) {
    const Image image = Render(Strip::Right, 10, 30, {10, false, 0x00336699, false});
    for (int r = 0; r < 30; ++r)
        for (int c = 0; c < 10; ++c) {
            ASSERT_EQ(image.Byte(c, r, 0), 0x33);
            ASSERT_EQ(image.Byte(c, r, 1), 0x66);
            ASSERT_EQ(image.Byte(c, r, 2), 0x99);
            ASSERT_EQ(image.Alpha(c, r), 255);
        }
}

TEST(ShadowImageLayout, BlackShadowHasOnlyAlphaFollowingTheProfile) {
    const Image image = Render(Strip::Right, 10, 40, Soft(10, 0));
    for (int i = 0; i < 10 * 40; ++i) {
        ASSERT_EQ(image.Byte(i % 10, i / 10, 0) + image.Byte(i % 10, i / 10, 1) +
                      image.Byte(i % 10, i / 10, 2),
                  0);
    }
    EXPECT_EQ(image.Alpha(3, 5), 88);
}

// The rounded corner -----------------------------------------------------------------------------

TEST(ShadowLunaCorner, ClearsTwelvePixelsAtTheTopOuterEndOfTheRightStrip) {
    const Image image = Render(Strip::Right, 10, 40, {10, false, kWhite, true});
    int cleared = 0;
    for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 10; ++c)
            if (image.Alpha(c, r) == 0) ++cleared;
    EXPECT_EQ(cleared, 12);
    for (int c = 5; c < 10; ++c)
        EXPECT_EQ(image.Alpha(c, 39), 0);
    EXPECT_EQ(image.Alpha(4, 39), 255);
    EXPECT_EQ(image.Alpha(6, 38), 255);
    EXPECT_EQ(image.Alpha(7, 38), 0);
    EXPECT_EQ(image.Alpha(9, 35), 0);
    EXPECT_EQ(image.Alpha(9, 34), 255);
    EXPECT_EQ(image.Byte(9, 39, 0), 0); // colour cleared with the alpha
}

TEST(ShadowLunaCorner, OnATinyImageOnlyPixelsInsideAreCleared) {
    const Image image = Render(Strip::Right, 3, 3, {3, false, kWhite, true});
    std::vector<int> alphas;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            alphas.push_back(image.Alpha(c, r));
    // Eight of the twelve fall inside a 3 x 3 image; only the lowest inner pixel stays.
    EXPECT_EQ(alphas, (std::vector<int>{255, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(ShadowLunaCorner, BottomStripIsNeverCut) {
    const Image image = Render(Strip::Bottom, 30, 10, {10, false, kWhite, true});
    for (int c = 0; c < 30; ++c)
        ASSERT_EQ(image.Alpha(c, 9), 255);
}

} // namespace
} // namespace zendra
