#include "ShadowRules.h"

#include <algorithm>
#include <cmath>

namespace zendra {

bool DetectLayering(const ShadowSystem& system, LayeringState& state) {
    const SystemVersion version = system.Version();
    if (version.platformId != kNtPlatform || version.major != 5) return false;
    if (version.minor > 0) {
        state.isXP = true;
        state.isLuna = system.DetectLuna();
    }
    return system.ScreenBitsPerPixel() >= 16;
}

std::int32_t ClampDepth(std::int32_t depth) noexcept {
    return std::clamp(depth, 0, 99);
}

std::int32_t ReduceTransparency(std::int32_t transparency) noexcept {
    return transparency % 256; // C++ keeps the dividend's sign
}

namespace {

double RoundHalfToEven(double value) noexcept {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5) return below + 1;
    if (fraction < 0.5) return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1;
}

} // namespace

std::optional<std::uint8_t> NextFadeAlpha(std::uint8_t alpha, std::int32_t duration,
                                          std::uint32_t elapsed) noexcept {
    const std::int64_t left = static_cast<std::int64_t>(duration) - elapsed;
    if (left <= 0) return std::nullopt;
    const double intervals = static_cast<double>(left) / kFadeInterval;
    const double step = std::max(RoundHalfToEven(alpha / intervals), 1.0);
    if (alpha <= step) return std::nullopt;
    return static_cast<std::uint8_t>(alpha - static_cast<int>(step));
}

} // namespace zendra
