#include "MessageTable.h"

#include <gtest/gtest.h>

#include <vector>

namespace zendra {
namespace {

constexpr std::int32_t A = 0x0401;
constexpr std::int32_t B = 0x0402;
constexpr std::int32_t C = 0x0403;
constexpr std::int32_t X = 0x8001;

std::vector<std::int32_t> SlotsOf(const MessageTable& table) {
    return {table.Slots().begin(), table.Slots().end()};
}

TEST(MessageTableSelection, EmptyTableSelectsNothing) {
    MessageTable table;
    EXPECT_EQ(table.Count(), 0);
    EXPECT_FALSE(table.Selects(A));
    EXPECT_FALSE(table.Selects(0));
}

TEST(MessageTableSelection, SelectsExactlyTheListedMessages) {
    MessageTable table;
    table.Add(A);
    table.Add(C);
    EXPECT_TRUE(table.Selects(A));
    EXPECT_TRUE(table.Selects(C));
    EXPECT_FALSE(table.Selects(B));
    EXPECT_EQ(table.Count(), 2);
}

TEST(MessageTableSelection, FreeSlotMatchesNoMessage) {
    MessageTable table;
    table.Add(A);
    table.Remove(A);
    EXPECT_FALSE(table.Selects(0xFFFFFFFFu));
    EXPECT_FALSE(table.Selects(A));
}

TEST(MessageTableAdd, DuplicateChangesNothing) {
    MessageTable table;
    table.Add(A);
    table.Add(B);
    table.Add(A);
    EXPECT_EQ(SlotsOf(table), (std::vector<std::int32_t>{A, B}));
    EXPECT_EQ(table.Count(), 2);
}

TEST(MessageTableAdd, ReusesTheFirstFreedSlot) {
    MessageTable table;
    table.Add(A);
    table.Add(B);
    table.Add(C);
    table.Remove(C);
    table.Remove(A);
    table.Add(X);
    EXPECT_EQ(SlotsOf(table), (std::vector<std::int32_t>{X, B, -1}));
    EXPECT_EQ(table.Count(), 3);
}

TEST(MessageTableAdd, StopsAtAFreeSlotBeforeSeeingALaterDuplicate) {
    MessageTable table;
    table.Add(A);
    table.Add(B);
    table.Remove(A);
    table.Add(B);
    EXPECT_EQ(SlotsOf(table), (std::vector<std::int32_t>{B, B}));
    // One removal frees only the first of the two.
    table.Remove(B);
    EXPECT_EQ(SlotsOf(table), (std::vector<std::int32_t>{-1, B}));
    EXPECT_TRUE(table.Selects(B));
}

TEST(MessageTableAllMessages, MinusOneSelectsEverything) {
    MessageTable table;
    table.Add(A);
    table.Add(-1);
    EXPECT_EQ(table.Count(), -1);
    EXPECT_TRUE(table.Selects(X));
    EXPECT_TRUE(table.Selects(0));
}

TEST(MessageTableAllMessages, AddingOneMessageLeavesTheModeWithOnlyThatMessage) {
    MessageTable table;
    table.Add(A);
    table.Add(B);
    table.Add(-1);
    table.Add(X);
    EXPECT_EQ(table.Count(), 1);
    EXPECT_EQ(SlotsOf(table), (std::vector<std::int32_t>{X}));
    EXPECT_FALSE(table.Selects(A));
}

TEST(MessageTableAllMessages, RemovingOneMessageInTheModeChangesNothing) {
    MessageTable table;
    table.Add(-1);
    table.Remove(A);
    EXPECT_EQ(table.Count(), -1);
    EXPECT_TRUE(table.Selects(A));
}

TEST(MessageTableRemoveAll, MinusOneSelectsNothingAndTheNextAddStartsAtSlotOne) {
    MessageTable table;
    table.Add(-1);
    table.Remove(-1);
    EXPECT_EQ(table.Count(), 0);
    EXPECT_FALSE(table.Selects(A));

    table.Add(A);
    table.Add(B);
    table.Remove(-1);
    EXPECT_FALSE(table.Selects(A));
    table.Add(C);
    EXPECT_EQ(SlotsOf(table), (std::vector<std::int32_t>{C}));
    EXPECT_FALSE(table.Selects(B));
}

TEST(MessageTableRemove, OnAnEmptyTableDoesNothing) {
    MessageTable table;
    table.Remove(A);
    EXPECT_EQ(table.Count(), 0);
    EXPECT_TRUE(table.Slots().empty());
}

} // namespace
} // namespace zendra
