// The window icon holds its seven images, and the system can pick each size from it.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>

#include <windows.h>

#include "Artwork.h"

namespace {

// (pixel size, bits per pixel) of each image of the icon group.
std::set<std::pair<int, int>> iconImages() {
    std::set<std::pair<int, int>> out;
    const HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDI_ZENDRA), MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
    if (!found)
        return out;
    const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
    const DWORD size = SizeofResource(module, found);
    if (!data || size < 6)
        return out;
    WORD count = 0;
    std::memcpy(&count, data + 4, 2);
    // Each directory entry: width, height, colours, reserved (bytes), planes, bits (words), size (dword), id (word).
    for (WORD i = 0; i < count && 6u + 14u * (i + 1u) <= size; ++i) {
        const unsigned char* e = data + 6 + 14 * i;
        WORD bits = 0;
        std::memcpy(&bits, e + 6, 2);
        out.insert({e[0] == 0 ? 256 : e[0], bits});
    }
    return out;
}

TEST(WindowIcon, HoldsItsSevenImages) {
    const std::set<std::pair<int, int>> expected{{48, 8}, {32, 8}, {16, 8}, {64, 32}, {48, 32}, {32, 32}, {24, 32}};
    EXPECT_EQ(iconImages(), expected);
}

TEST(WindowIcon, LoadsAtEverySizeTheSystemAsksFor) {
    for (int size : {16, 24, 32, 48, 64}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ZENDRA), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        GetObjectW(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

} // namespace
