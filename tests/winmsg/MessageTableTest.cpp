#include "MessageTable.h"

#include <gtest/gtest.h>

#include <vector>

namespace zendra {
namespace {

constexpr std::int32_t A = 0x0401, B = 0x0402, C = 0x0403, X = 0x8001;

// A run of adds and removes, and what the table holds after it.
struct Case {
    const char* what;
    std::vector<std::pair<bool, std::int32_t>> steps; // {add?, message}
    std::vector<std::int32_t> slots;
    std::int32_t count;
    std::vector<std::uint32_t> selected, notSelected;
};

TEST(MessageTable, AddsRemovesAndSelects) {
    constexpr bool add = true, remove = false;
    const Case cases[] = {
        {"empty", {}, {}, 0, {}, {A, 0}},
        {"exactly the listed", {{add, A}, {add, C}}, {A, C}, 2, {A, C}, {B}},
        {"a free slot matches nothing", {{add, A}, {remove, A}}, {-1}, 1, {}, {0xFFFFFFFFu, A}},
        {"a duplicate changes nothing", {{add, A}, {add, B}, {add, A}}, {A, B}, 2, {A, B}, {}},
        {"the first freed slot is reused",
         {{add, A}, {add, B}, {add, C}, {remove, C}, {remove, A}, {add, X}},
         {X, B, -1}, 3, {X, B}, {A, C}},
        {"a free slot stops the search before a later duplicate",
         {{add, A}, {add, B}, {remove, A}, {add, B}}, {B, B}, 2, {B}, {A}},
        {"one removal frees only the first of two",
         {{add, A}, {add, B}, {remove, A}, {add, B}, {remove, B}}, {-1, B}, 2, {B}, {A}},
        {"-1 selects everything", {{add, A}, {add, -1}}, {A}, -1, {X, 0, A}, {}},
        {"one message after -1 leaves only it",
         {{add, A}, {add, B}, {add, -1}, {add, X}}, {X}, 1, {X}, {A, B}},
        {"removing one message under -1 changes nothing", {{add, -1}, {remove, A}}, {}, -1, {A}, {}},
        {"removing -1 selects nothing", {{add, -1}, {remove, -1}}, {}, 0, {}, {A}},
        {"after removing -1 the next add starts at slot one",
         {{add, A}, {add, B}, {remove, -1}, {add, C}}, {C}, 1, {C}, {A, B}},
        {"removing from an empty table does nothing", {{remove, A}}, {}, 0, {}, {A}},
    };
    for (const Case& c : cases) {
        MessageTable table;
        for (const auto& [adding, message] : c.steps)
            adding ? table.Add(message) : table.Remove(message);
        const std::vector<std::int32_t> slots(table.Slots().begin(), table.Slots().end());
        // Slots beyond the count that a change of mode left behind are not compared.
        const std::vector<std::int32_t> used(
            slots.begin(),
            slots.begin() + std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(slots.size()),
                                                     static_cast<std::ptrdiff_t>(c.slots.size())));
        EXPECT_EQ(used, c.slots) << c.what;
        EXPECT_EQ(table.Count(), c.count) << c.what;
        for (const std::uint32_t message : c.selected)
            EXPECT_TRUE(table.Selects(message)) << c.what << ": " << message;
        for (const std::uint32_t message : c.notSelected)
            EXPECT_FALSE(table.Selects(message)) << c.what << ": " << message;
    }
}

} // namespace
} // namespace zendra
