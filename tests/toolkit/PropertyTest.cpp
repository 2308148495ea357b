#include "Property.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace zendra::tk;

TEST(PropertyBag, MissingKeysReadAsTheirDefaults) {
    PropertyBag bag;
    EXPECT_TRUE(bag.ReadBool("Enabled", true));
    EXPECT_EQ(bag.ReadColor("BackColor", 0x8000000Fu), 0x8000000Fu);
    EXPECT_EQ(bag.ReadString("Caption", L"aquaButton"), L"aquaButton");
}

TEST(PropertyBag, AValueEqualToItsDefaultIsNotWritten) {
    PropertyBag bag;
    bag.WriteColor("BackColor", 0x80000009u, 0x8000000Fu);
    bag.WriteBool("Enabled", true, true);
    bag.WriteInt("BackStyle", 0, 0);
    bag.WriteString("Caption", L"Split", L"aquaButton");
    bag.WriteBool("Lines", true, true);
    EXPECT_EQ(bag.Keys(), (std::vector<std::string>{"BackColor", "Caption"}));
    // Writing the default later removes an earlier value.
    bag.WriteString("Caption", L"aquaButton", L"aquaButton");
    EXPECT_FALSE(bag.Contains("Caption"));
}

TEST(PropertyBag, StoredDesignsReadBack) {
    FormDesign design{{L"cmdSplit", {{"BackColor", std::int64_t{0x80000009}},
                                     {"Caption", std::wstring(L"Split")},
                                     {"Enabled", false}}}};
    const PropertyBag& bag = design.at(L"cmdSplit");
    EXPECT_EQ(bag.ReadColor("BackColor", 0x8000000Fu), 0x80000009u);
    EXPECT_EQ(bag.ReadString("Caption", L""), L"Split");
    EXPECT_FALSE(bag.ReadBool("Enabled", true));
    FontDesc font{L"SimSun", 9, FW_NORMAL, false, false, false, 134};
    PropertyBag withFont{{"Font", font}};
    EXPECT_EQ(withFont.ReadFont("Font", FontDesc{}), font);
}

TEST(PropertyBag, AValueOfAnotherKindIsAFailureOfTheRead) {
    PropertyBag bag{{"Caption", std::int64_t{3}}};
    EXPECT_THROW(bag.ReadString("Caption", L""), std::invalid_argument);
}

TEST(PropertyChanges, ASetMarksItsKey) {
    PropertyChanges changes;
    changes.Mark("Caption");
    EXPECT_TRUE(changes.IsChanged("Caption"));
    EXPECT_FALSE(changes.IsChanged("Enabled"));
}
