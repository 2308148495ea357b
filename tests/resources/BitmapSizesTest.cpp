// Every picture is in the program, 24-bit, at the size its control lays it out at, and carries the key
// colour only where the keyed window or a transparent blit expects it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include <windows.h>

#include "ArtworkPixels.h"
#include "ArtworkTable.h"

namespace {

class EveryPicture : public ::testing::TestWithParam<ArtworkEntry> {};

int countKey(const ArtworkPixels& p) {
    int n = 0;
    for (auto c : p.rgb)
        n += c == kKeyRgb;
    return n;
}

TEST_P(EveryPicture, LoadsAt24BitsWithItsExactSize) {
    const auto& e = GetParam();
    const auto p = loadArtwork(e.id);
    ASSERT_TRUE(p) << e.name << " is missing from the resources";
    EXPECT_EQ(p->width, e.width) << e.name;
    EXPECT_EQ(p->height, e.height) << e.name;
    EXPECT_EQ(p->bitsPerPixel, 24) << e.name;
}

TEST_P(EveryPicture, KeyColourOnlyWhereItsControlExpectsIt) {
    const auto& e = GetParam();
    const auto p = loadArtwork(e.id);
    ASSERT_TRUE(p) << e.name;
    switch (e.key) {
    case KeyUse::None:
        EXPECT_EQ(countKey(*p), 0) << e.name << " is drawn opaque; a key pixel would be a hole in the window";
        break;
    case KeyUse::TitleCorner:
        // The corners are checked row by row elsewhere; below them nothing may be keyed.
        for (int y = 6; y < p->height; ++y)
            for (int x = 0; x < p->width; ++x)
                EXPECT_NE(p->at(x, y), kKeyRgb) << e.name << " at " << x << "," << y;
        break;
    case KeyUse::Transparent:
        // The outer top corner is transparent, and there is something to see.
        EXPECT_TRUE(p->at(0, 0) == kKeyRgb || p->at(p->width - 1, 0) == kKeyRgb) << e.name;
        EXPECT_LT(countKey(*p), p->width * p->height * 3 / 4) << e.name << " is mostly key";
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Artwork, EveryPicture, ::testing::ValuesIn(kArtwork),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(ArtworkIds, AreDistinct) {
    for (const auto& a : kArtwork)
        for (const auto& b : kArtwork)
            if (&a != &b) {
                EXPECT_NE(a.id, b.id) << a.name << " and " << b.name;
            }
}

struct EmbeddedBitmaps {
    std::set<int> ids;
    bool named = false;
};

BOOL CALLBACK collectBitmap(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) noexcept {
    auto* found = reinterpret_cast<EmbeddedBitmaps*>(param);
    if (IS_INTRESOURCE(name))
        found->ids.insert(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
    else
        found->named = true;
    return TRUE;
}

// A resource script line whose ID macro is misspelt still compiles, under a string name nobody loads.
TEST(ArtworkIds, EveryEmbeddedBitmapIsOneOfTheKnownIds) {
    EmbeddedBitmaps found;
    EnumResourceNamesW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(2) /* RT_BITMAP */, collectBitmap,
                       reinterpret_cast<LONG_PTR>(&found));
    EXPECT_FALSE(found.named) << "a bitmap is embedded under a string name";
    std::set<int> known;
    for (const auto& e : kArtwork)
        known.insert(e.id);
    EXPECT_EQ(found.ids, known);
}

} // namespace
