#include "DibSection.h"
#include "Handles.h"
#include "Units.h"
#include "base/Failure.h"

#include <gtest/gtest.h>

#include <string>

using namespace zendra::tk;
using zendra::Failure;
using zendra::FailureKind;

TEST(Units, TwipsRoundToTheNearestPixel) {
    EXPECT_EQ(TwipsToPixels(345), 23);
    EXPECT_EQ(TwipsToPixels(10), 1); // a 10-twip line still shows
    EXPECT_EQ(TwipsToPixels(7), 0);
    EXPECT_EQ(TwipsToPixels(70), 5);
    EXPECT_EQ(TwipsToPixels(-500), -33);
    EXPECT_EQ(PixelsToTwips(444), 6660);
}

TEST(Units, SystemColoursResolveThroughTheSystem) {
    EXPECT_EQ(ResolveColor(0x80000005u), GetSysColor(5));
    EXPECT_EQ(ResolveColor(SystemColor(COLOR_BTNFACE)), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ResolveColor(0x00FEF3EDu), RGB(0xED, 0xF3, 0xFE));
}

TEST(Handles, OwnerDeletesItsObjectOnceAndMovesOwnership) {
    HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
    {
        UniqueBrush first(raw);
        UniqueBrush second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.Get(), raw);
        EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(GetObjectType(raw), 0u);
}

TEST(Handles, SelectScopePutsThePreviousObjectBack) {
    UniqueDc dc(CreateCompatibleDC(nullptr));
    HGDIOBJ before = GetCurrentObject(dc.Get(), OBJ_BRUSH);
    UniqueBrush brush(CreateSolidBrush(RGB(9, 9, 9)));
    {
        SelectScope select(dc.Get(), brush.Get());
        EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), brush.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), before);
}

// What the system will not make is a Failure of the I/O kind that names it.
TEST(Handles, AnObjectTheSystemWillNotMakeIsAFailure) {
    try {
        DibSection tooLarge(1 << 20, 1 << 20);
        ADD_FAILURE() << "a bitmap of a tebibyte was made";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Kind(), FailureKind::Io);
        EXPECT_NE(std::string(failure.what()).find("bitmap"), std::string::npos) << failure.what();
    }
}

