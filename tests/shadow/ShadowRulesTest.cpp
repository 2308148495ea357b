#include "ShadowRules.h"
#include "ShadowImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace zendra {
namespace {

class FakeSystem : public ShadowSystem {
  public:
    SystemVersion version{kNtPlatform, 5, 1};
    int bits = 32;
    bool luna = true;
    mutable int lunaQuestions = 0;

    SystemVersion Version() const override { return version; }
    int ScreenBitsPerPixel() const override { return bits; }
    bool DetectLuna() const override {
        ++lunaQuestions;
        return luna;
    }
    std::uint32_t TickCount() const override { return 0; }
    bool DropShadowSetting() const override { return true; }
    bool MenuAnimationSetting() const override { return true; }
};

// When the shadow can show ---------------------------------------------------------------------

TEST(ShadowDetection, XpWithTrueColourShowsAndAsksForTheLunaStyle) {
    FakeSystem system;
    LayeringState state;
    EXPECT_TRUE(DetectLayering(system, state));
    EXPECT_TRUE(state.isXP);
    EXPECT_TRUE(state.isLuna);
}

TEST(ShadowDetection, Windows2000ShowsWithoutBeingXp) {
    FakeSystem system;
    system.version.minor = 0;
    LayeringState state;
    EXPECT_TRUE(DetectLayering(system, state));
    EXPECT_FALSE(state.isXP);
    EXPECT_EQ(system.lunaQuestions, 0);
}

TEST(ShadowDetection, FewerThanSixteenBitsPerPixelShowNothing) {
    FakeSystem system;
    system.bits = 15;
    LayeringState state;
    EXPECT_FALSE(DetectLayering(system, state));
    EXPECT_TRUE(state.isXP); // still learnt: the theme watch depends on it
    system.bits = 16;
    EXPECT_TRUE(DetectLayering(system, state));
}

TEST(ShadowDetection, OtherVersionsAndPlatformsShowNothingAndKeepWhatWasKnown) {
    for (const SystemVersion version :
         {SystemVersion{kNtPlatform, 6, 1}, SystemVersion{kNtPlatform, 10, 0},
          SystemVersion{kNtPlatform, 4, 0}, SystemVersion{1, 4, 10}}) {
        FakeSystem system;
        system.version = version;
        LayeringState state{true, true};
        EXPECT_FALSE(DetectLayering(system, state)) << version.major;
        EXPECT_TRUE(state.isXP);
        EXPECT_TRUE(state.isLuna);
        EXPECT_EQ(system.lunaQuestions, 0);
    }
}

// Property limits ------------------------------------------------------------------------------

TEST(ShadowSettings, DepthIsKeptWithinZeroTo99) {
    EXPECT_EQ(ClampDepth(-5), 0);
    EXPECT_EQ(ClampDepth(0), 0);
    EXPECT_EQ(ClampDepth(99), 99);
    EXPECT_EQ(ClampDepth(100), 99);
}

TEST(ShadowSettings, TransparencyKeepsTheRemainderWithItsSign) {
    EXPECT_EQ(ReduceTransparency(128), 128);
    EXPECT_EQ(ReduceTransparency(256), 0);
    EXPECT_EQ(ReduceTransparency(300), 44);
    EXPECT_EQ(ReduceTransparency(-300), -44);
    EXPECT_EQ(ReduceTransparency(-1), -1);
}

// Fade speed -----------------------------------------------------------------------------------

// The alphas a fade shows when its timer messages come exactly 20 ms apart, and how many
// messages it takes.
std::vector<int> FadeRun(std::int32_t duration, int& messages) {
    std::vector<int> alphas{255};
    std::uint8_t alpha = 255;
    messages = 0;
    for (std::uint32_t elapsed = kFadeInterval; messages < 1000; elapsed += kFadeInterval) {
        ++messages;
        const auto next = NextFadeAlpha(alpha, duration, elapsed);
        if (!next) break;
        alpha = *next;
        alphas.push_back(alpha);
    }
    return alphas;
}

TEST(FadeSpeed, HalfASecondFallsByElevensAndEndsAtThe24thMessage) {
    int messages = 0;
    const std::vector<int> alphas = FadeRun(500, messages);
    EXPECT_EQ(messages, 24);
    ASSERT_EQ(alphas.size(), 24u);
    EXPECT_EQ(std::vector<int>(alphas.begin(), alphas.begin() + 4),
              (std::vector<int>{255, 244, 233, 222}));
    EXPECT_EQ(alphas.back(), 11); // and its step is 11: the fade ends
    for (std::size_t i = 1; i < alphas.size(); ++i) {
        const int step = alphas[i - 1] - alphas[i];
        EXPECT_TRUE(step == 11 || step == 10) << i;
    }
}

TEST(FadeSpeed, TenthOfASecondTakesFourMessagesRoundingHalfToEven) {
    int messages = 0;
    // The third step is 127 / 2 = 63.5, which goes to the even 64.
    EXPECT_EQ(FadeRun(100, messages), (std::vector<int>{255, 191, 127, 63}));
    EXPECT_EQ(messages, 4);
    // 5 / 2 = 2.5 goes to the even 2.
    EXPECT_EQ(NextFadeAlpha(5, 40, 0), 3);
}

TEST(FadeSpeed, NoDurationEndsAtTheFirstMessage) {
    EXPECT_EQ(NextFadeAlpha(255, 0, 20), std::nullopt);
    EXPECT_EQ(NextFadeAlpha(255, -100, 0), std::nullopt);
    EXPECT_EQ(NextFadeAlpha(255, 500, 500), std::nullopt);
}

TEST(FadeSpeed, ALongFadeStillStepsByOne) {
    EXPECT_EQ(NextFadeAlpha(5, 100000, 20), 4);
    EXPECT_EQ(NextFadeAlpha(1, 100000, 20), std::nullopt);
}

// Image rows -----------------------------------------------------------------------------------

TEST(StripRows, TopDownImageHoldsTheSameLinesHighestFirst) {
    const ShadowLook look{10, true, 0x00336699, true};
    const std::int32_t width = 10, height = 40;
    const std::vector<std::byte> bottomUp = RenderStrip(Strip::Right, width, height, look);
    std::vector<std::byte> topDown(bottomUp.size());
    FillStrip(topDown, Strip::Right, width, height, look, RowOrder::TopDown);
    const std::size_t line = 4 * static_cast<std::size_t>(width);
    for (std::int32_t r = 0; r < height; ++r)
        EXPECT_TRUE(std::equal(bottomUp.begin() + r * line, bottomUp.begin() + (r + 1) * line,
                               topDown.begin() + (height - 1 - r) * line))
            << r;
}

} // namespace
} // namespace zendra
