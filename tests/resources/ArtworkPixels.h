// Reads a bitmap resource of the test program into plain pixels, so tests can check sizes and colours.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct ArtworkPixels {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::vector<std::uint32_t> rgb; // 0x00RRGGBB, top row first

    std::uint32_t at(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};

// The bitmap with the given ID from this module's resources, or nothing when it is missing.
std::optional<ArtworkPixels> loadArtwork(int id);

inline constexpr std::uint32_t kKeyRgb = 0xFF00FF;
