// The plain rules of the drop shadow control: its property limits, when it can show at all, and
// how fast a fade runs. Portable, so that they are tested on every platform.
#pragma once

#include <cstdint>
#include <optional>

namespace zendra {

// The system's version as the version query reports it.
struct SystemVersion {
    std::uint32_t platformId = 0; // 2 is the NT platform
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

inline constexpr std::uint32_t kNtPlatform = 2;

// What the control asks of the system to decide whether and how it shows, and to time its fades.
class ShadowSystem {
  public:
    virtual SystemVersion Version() const = 0;
    virtual int ScreenBitsPerPixel() const = 0;
    // Whether the "Luna" visual style is active.
    virtual bool DetectLuna() const = 0;
    virtual std::uint32_t TickCount() const = 0;
    // The user's settings for menu shadows and menu animation.
    virtual bool DropShadowSetting() const = 0;
    virtual bool MenuAnimationSetting() const = 0;

  protected:
    ~ShadowSystem() = default;
};

struct LayeringState {
    bool isXP = false;
    bool isLuna = false;
};

// True only on version 5 of the NT platform with 16 or more bits per pixel. On version 5 with a
// minor version above 0 it also sets isXP and asks for the Luna style; elsewhere `state` is kept.
bool DetectLayering(const ShadowSystem& system, LayeringState& state);

// Depth: below 0 becomes 0, above 99 becomes 99.
std::int32_t ClampDepth(std::int32_t depth) noexcept;
// Transparency: the remainder of a division by 256, keeping the sign of the value.
std::int32_t ReduceTransparency(std::int32_t transparency) noexcept;

// Timer messages of a fade come this many milliseconds apart.
inline constexpr std::uint32_t kFadeInterval = 20;

// One step of a fade: the next constant alpha for a fade of `duration` ms that began `elapsed` ms
// ago, or nothing when the fade is over. The step is the alpha divided by the number of intervals
// left, rounded half to even, at least 1.
std::optional<std::uint8_t> NextFadeAlpha(std::uint8_t alpha, std::int32_t duration,
                                          std::uint32_t elapsed) noexcept;

} // namespace zendra
