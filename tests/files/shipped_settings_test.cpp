// The Tessaril.ini shipped with the program: its keys hold the built-in
// defaults, it lists all 118 elements in order, and it survives a rewrite.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "element.h"
#include "process_state.h"
#include "settings.h"
#include "settings_file.h"

namespace {

class ShippedSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        text = ReadFileOrEmpty(SourceFile("Tessaril.ini"));
        ASSERT_FALSE(text.empty());
        ParseSettingsText(text, read, table);
    }
    std::string text;
    Settings read;
    ElementTable table;
};

TEST_F(ShippedSettingsTest, KeysHoldTheBuiltInDefaults) {
    Settings defaults;
    defaults.restoredWidth = defaults.WindowWidth - 8;
    defaults.restoredHeight = defaults.WindowHeight - 54;
    defaults.WindowX += 4;
    defaults.WindowY += 50;
    const std::string keyLines = text.substr(0, text.find("#\n# Atomic Data"));
    const std::string expected = FormatSettingsText(defaults, {});
    EXPECT_EQ(keyLines + "#\n# Atomic Data\n#\n", expected);
}

TEST_F(ShippedSettingsTest, ListsAll118ElementsInOrder) {
    ASSERT_EQ(table.size(), 118u);
    std::set<std::string> symbols;
    for (size_t i = 0; i < table.size(); ++i) {
        const Element& e = table[i];
        EXPECT_EQ(e.atomicNumber, static_cast<int>(i) + 1) << e.name;
        EXPECT_TRUE(symbols.insert(e.symbol).second) << "duplicate symbol " << e.symbol;
        EXPECT_GT(e.mass, 0.0f) << e.name;
        EXPECT_GE(e.period, 1) << e.name;
        EXPECT_LE(e.period, 7) << e.name;
        EXPECT_GE(e.group, 0) << e.name;
        EXPECT_LE(e.group, 8) << e.name;
        for (float c : {e.colour.red, e.colour.green, e.colour.blue}) {
            EXPECT_GE(c, 0.0f) << e.name;
            EXPECT_LE(c, 1.0f) << e.name;
        }
    }
    // Spot checks of the group convention and the sizes.
    EXPECT_EQ(table[16].symbol, "Cl");
    EXPECT_EQ(table[16].period, 3);
    EXPECT_EQ(table[16].group, 7);
    EXPECT_EQ(table[16].groupLetter, 'A');
    EXPECT_EQ(table[25].symbol, "Fe");
    EXPECT_EQ(table[25].group, 8);
    EXPECT_EQ(table[25].groupLetter, ' ');
    EXPECT_EQ(table[1].group, 0);                         // helium, a noble gas
    EXPECT_EQ(table[28].groupLetter, 'B');                // copper, 1 B
    EXPECT_LT(table[0].radius, table[5].radius - 4.0f);   // hydrogen clearly smaller than carbon
    EXPECT_LT(table[91].radius, 2.0f * table[5].radius);  // uranium not enormous
}

TEST_F(ShippedSettingsTest, RewriteGivesTheSameText) {
    read.WindowX += 4;
    read.WindowY += 50;
    read.restoredWidth = read.WindowWidth - 8;
    read.restoredHeight = read.WindowHeight - 54;
    EXPECT_EQ(FormatSettingsText(read, table), text);
}

}  // namespace
