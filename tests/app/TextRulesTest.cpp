// The window-free text rules: number conversion with halves to even, the stored options' "1",
// the size key filter, the piece list's header.
#include "TextRules.h"

#include <gtest/gtest.h>

namespace zendra {

namespace {

TEST(ToLong, RoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(ToLong(L"1.5"), 2);
    EXPECT_EQ(ToLong(L"2.5"), 2);
    EXPECT_EQ(ToLong(L"3.5"), 4);
    EXPECT_EQ(ToLong(L"2.50001"), 3);
    EXPECT_EQ(ToLong(L"2.4999"), 2);
    EXPECT_EQ(ToLong(L"0.5"), 0);
    EXPECT_EQ(ToLong(L"-1.5"), -2);
    EXPECT_EQ(ToLong(L" 12 "), 12);
    EXPECT_EQ(ToLong(L"7."), 7);
    EXPECT_EQ(ToLong(L".7"), 1);
}

TEST(ToLong, RefusesWhatIsNoNumberOrDoesNotFit) {
    for (const wchar_t* text : {L"", L".", L"1.2.3", L"abc", L"1 2", L"--1", L"2147483648", L"2147483647.5",
                                L"99999999999999999999"})
        EXPECT_FALSE(ToLong(text)) << text;
    EXPECT_EQ(ToLong(L"2147483647"), 2147483647);
    EXPECT_EQ(ToLong(L"2147483647.4"), 2147483647);
    EXPECT_EQ(ToLong(L"-2147483648"), -2147483647 - 1);
}

TEST(PieceSize, IsAWholeNumberFromOneUp) {
    EXPECT_EQ(PieceSizeFromText(L"1.5"), 2);
    EXPECT_EQ(PieceSizeFromText(L"1"), 1);
    EXPECT_FALSE(PieceSizeFromText(L"0"));
    EXPECT_FALSE(PieceSizeFromText(L"0.5"));
    EXPECT_FALSE(PieceSizeFromText(L"-3"));
}

TEST(Options, OnlyOneCountsAsOn) {
    EXPECT_TRUE(ReadsAsOne(L"1"));
    EXPECT_TRUE(ReadsAsOne(L" 1 "));
    for (const wchar_t* text : {L"0", L"2", L"", L"yes", L"1.5", L"11", L"-1"}) EXPECT_FALSE(ReadsAsOne(text)) << text;
    // Read as the check box loads it: on exactly when the box would show it on.
    for (const wchar_t* text : {L"0x1", L"1e0", L"1.4", L"+1", L"0.6", L" 1.0"})
        EXPECT_EQ(ReadsAsOne(text), ToLong(text) == 1) << text;
}

TEST(SizeKeys, DigitsPointAndBackspacePass) {
    for (wchar_t c : std::wstring(L"0123456789.\b\r"))
        EXPECT_TRUE(IsSizeKey(c)) << int(c);
    for (wchar_t c : std::wstring(L"a-+ ,eE\t/"))
        EXPECT_FALSE(IsSizeKey(c)) << int(c);
}

TEST(ListHeader, SizeStandsOverTheSizeColumn) {
    const std::wstring header = ListHeader();
    EXPECT_EQ(header.size(), 59u);
    EXPECT_EQ(header.find(L"Size"), 55u);
}

TEST(Paths, SpacesAreTrimmed) {
    EXPECT_EQ(TrimSpaces(L"  a b  "), L"a b");
}

} // namespace

} // namespace zendra
