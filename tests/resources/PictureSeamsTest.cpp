// Pieces that a control puts side by side or stretches must meet without visible seams, and the title bar's
// corners must carry exactly the key pixels that make the window's top corners round.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "ArtworkPixels.h"
#include "ArtworkTable.h"

namespace {

ArtworkPixels load(int id) {
    auto p = loadArtwork(id);
    if (!p) {
        ADD_FAILURE() << "bitmap " << id << " missing";
        return {};
    }
    return *p;
}

// Largest difference of one channel between two colours.
int channelDistance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return d;
}

struct BarEnds {
    const char* name;
    int left, mid, right;
    std::vector<int> keyRows;
};

const BarEnds kBars[] = {
    {"leopard active", IDB_LEOPARD_ACTIVE_LEFT, IDB_LEOPARD_ACTIVE_MID, IDB_LEOPARD_ACTIVE_RIGHT, {5, 3, 2, 1, 1}},
    {"leopard inactive", IDB_LEOPARD_INACTIVE_LEFT, IDB_LEOPARD_INACTIVE_MID, IDB_LEOPARD_INACTIVE_RIGHT, {5, 3, 2, 1, 1}},
    {"tiger active", IDB_TIGER_ACTIVE_LEFT, IDB_TIGER_ACTIVE_MID, IDB_TIGER_ACTIVE_RIGHT, {6, 4, 3, 2, 1, 1}},
    {"tiger inactive", IDB_TIGER_INACTIVE_LEFT, IDB_TIGER_INACTIVE_MID, IDB_TIGER_INACTIVE_RIGHT, {6, 4, 3, 2, 1, 1}},
};

TEST(TitleBar, EndPiecesCarryTheKeyedCornerRows) {
    for (const auto& bar : kBars) {
        const auto left = load(bar.left);
        const auto right = load(bar.right);
        for (int y = 0; y < static_cast<int>(bar.keyRows.size()) + 1; ++y) {
            const int keys = y < static_cast<int>(bar.keyRows.size()) ? bar.keyRows[y] : 0;
            for (int x = 0; x < left.width; ++x) {
                EXPECT_EQ(left.at(x, y) == kKeyRgb, x < keys) << bar.name << " left end, row " << y << " x " << x;
                EXPECT_EQ(right.at(right.width - 1 - x, y) == kKeyRgb, x < keys)
                    << bar.name << " right end, row " << y << " x from the right " << x;
            }
        }
    }
}

TEST(TitleBar, MiddlesAreEvenRowsThatMeetTheEnds) {
    for (const auto& bar : kBars) {
        const auto left = load(bar.left);
        const auto mid = load(bar.mid);
        const auto right = load(bar.right);
        ASSERT_EQ(left.height, mid.height);
        for (int y = 0; y < mid.height; ++y) {
            for (int x = 1; x < mid.width; ++x)
                EXPECT_EQ(mid.at(x, y), mid.at(0, y)) << bar.name << " middle is stretched, rows must be even";
            EXPECT_EQ(left.at(left.width - 1, y), mid.at(0, y)) << bar.name << " seam left/middle, row " << y;
            EXPECT_EQ(right.at(0, y), mid.at(0, y)) << bar.name << " seam middle/right, row " << y;
        }
    }
}

TEST(TitleBar, WindowButtonsSitOnTheBarTheyAreShownOn) {
    struct Case {
        int button, mid;
    };
    const Case cases[] = {
        {IDB_LEOPARD_CLOSE, IDB_LEOPARD_ACTIVE_MID}, {IDB_LEOPARD_MIN_HOVER, IDB_LEOPARD_ACTIVE_MID},
        {IDB_LEOPARD_ZOOM_PRESSED, IDB_LEOPARD_ACTIVE_MID}, {IDB_LEOPARD_BUTTON_DISABLED, IDB_LEOPARD_ACTIVE_MID},
        {IDB_LEOPARD_BUTTON_INACTIVE, IDB_LEOPARD_INACTIVE_MID}, {IDB_TIGER_CLOSE_HOVER, IDB_TIGER_ACTIVE_MID},
        {IDB_TIGER_MIN, IDB_TIGER_ACTIVE_MID}, {IDB_TIGER_BUTTON_DISABLED, IDB_TIGER_ACTIVE_MID},
        {IDB_TIGER_BUTTON_INACTIVE, IDB_TIGER_INACTIVE_MID},
    };
    for (const auto& c : cases) {
        const auto button = load(c.button);
        const auto mid = load(c.mid);
        for (int y = 0; y < button.height; ++y) {
            EXPECT_EQ(button.at(0, y), mid.at(0, y)) << "button " << c.button << " left edge, row " << y;
            EXPECT_EQ(button.at(button.width - 1, y), mid.at(0, y)) << "button " << c.button << " right edge, row " << y;
        }
    }
}

TEST(TitleBar, EachButtonStateLooksDifferent) {
    for (int first : {IDB_LEOPARD_CLOSE, IDB_TIGER_CLOSE}) {
        std::set<std::vector<std::uint32_t>> looks;
        for (int id = first; id <= first + 10; ++id)
            looks.insert(load(id).rgb);
        EXPECT_EQ(looks.size(), 11u) << "two button pictures of one bar are identical";
    }
}

TEST(PushButton, CapsMeetTheirMiddleAndRoundOffOutside) {
    struct Look {
        int left, mid, right;
    };
    for (const auto& look : {Look{IDB_AQUA_NORMAL_LEFT, IDB_AQUA_NORMAL_MID, IDB_AQUA_NORMAL_RIGHT},
                             Look{IDB_AQUA_PRESSED_LEFT, IDB_AQUA_PRESSED_MID, IDB_AQUA_PRESSED_RIGHT},
                             Look{IDB_AQUA_DISABLED_LEFT, IDB_AQUA_DISABLED_MID, IDB_AQUA_DISABLED_RIGHT}}) {
        const auto left = load(look.left);
        const auto mid = load(look.mid);
        const auto right = load(look.right);
        for (int y = 0; y < mid.height; ++y) {
            for (int x = 1; x < mid.width; ++x)
                EXPECT_EQ(mid.at(x, y), mid.at(0, y)) << "middle " << look.mid << " must have even rows";
            EXPECT_LE(channelDistance(left.at(left.width - 1, y), mid.at(0, y)), 8) << "seam, row " << y;
            EXPECT_LE(channelDistance(right.at(0, y), mid.at(0, y)), 8) << "seam, row " << y;
        }
        for (int y : {0, left.height - 1}) {
            EXPECT_EQ(left.at(0, y), kKeyRgb) << "left cap outer corner, row " << y;
            EXPECT_EQ(right.at(right.width - 1, y), kKeyRgb) << "right cap outer corner, row " << y;
        }
        EXPECT_NE(left.at(0, left.height / 2), kKeyRgb) << "the cap's round end reaches its outer edge";
        EXPECT_NE(right.at(right.width - 1, right.height / 2), kKeyRgb);
    }
}

TEST(PushButton, PinstripeRepeatsEveryFourRowsWithEvenRows) {
    const auto p = load(IDB_AQUA_PINSTRIPE);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            EXPECT_EQ(p.at(x, y), p.at(0, y));
            if (y >= 4) {
                EXPECT_EQ(p.at(x, y), p.at(x, y - 4)) << "row " << y;
            }
        }
    EXPECT_EQ(p.at(0, 1), 0xFFFFFFu) << "the second line of each period is white";
}

TEST(CheckBox, TwelveDistinctCells) {
    const auto p = load(IDB_CHECKBOX_CELLS);
    std::set<std::vector<std::uint32_t>> cells;
    for (int cell = 0; cell < 12; ++cell) {
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 16; ++x)
                pixels.push_back(p.at(x, cell * 17 + y));
        cells.insert(pixels);
        EXPECT_EQ(p.at(0, cell * 17), 0xFFFFFFu) << "cell " << cell << " corner shows the white background";
    }
    EXPECT_EQ(cells.size(), 12u);
}

TEST(PieceList, StripeIsThePlainRowColour) {
    const auto p = load(IDB_LIST_STRIPE);
    for (auto c : p.rgb)
        EXPECT_EQ(c, 0xEDF3FEu) << "RGB(237, 243, 254)";
}

TEST(PieceList, StretchedPiecesAreEvenAlongTheirStretch) {
    const auto header = load(IDB_LIST_HEADER);
    for (int y = 0; y < header.height; ++y)
        for (int x = 1; x < header.width; ++x)
            EXPECT_EQ(header.at(x, y), header.at(0, y)) << "header row " << y;
    const auto track = load(IDB_LIST_TRACK);
    for (int y = 1; y < track.height; ++y)
        for (int x = 0; x < track.width; ++x)
            EXPECT_EQ(track.at(x, y), track.at(x, 0)) << "track column " << x;
}

TEST(PieceList, ThumbCornersAndCapShowTheTrack) {
    const auto track = load(IDB_LIST_TRACK);
    const auto thumb = load(IDB_LIST_THUMB);
    EXPECT_EQ(thumb.at(thumb.width - 1, 0), track.at(thumb.width - 1, 0));
    EXPECT_EQ(thumb.at(thumb.width - 1, thumb.height - 1), track.at(thumb.width - 1, 0));
    const auto cap = load(IDB_LIST_TRACK_CAP);
    for (int x = 0; x < cap.width; ++x)
        EXPECT_LE(channelDistance(cap.at(x, cap.height - 1), track.at(x, 0)), 8) << "cap meets the track, column " << x;
    const auto up = load(IDB_LIST_ARROW_UP);
    for (int x = 0; x < up.width; ++x)
        EXPECT_LE(channelDistance(up.at(x, 0), track.at(x, 0)), 8) << "track runs into the up arrow, column " << x;
}

} // namespace
