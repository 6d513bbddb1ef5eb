// Element lookup and the radius rule.
#include <gtest/gtest.h>

#include "element.h"
#include "process_state.h"

namespace {

class ElementTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        for (auto [name, symbol] :
             {std::pair{"Hydrogen", "H"}, {"Chlorine", "Cl"}, {"Carbon", "C"}, {"Cl", "Xx"}}) {
            Element element;
            element.name = name;
            element.symbol = symbol;
            element.atomicNumber = ElementCount() + 1;
            elementTable.push_back(element);
        }
    }
};

TEST_F(ElementTest, FindElementBySymbolOrNameIgnoringCase) {
    for (const char* key : {"cl", "CL", "Cl", "chlorine", "CHLORINE"}) {
        const Element* found = FindElement(key);
        ASSERT_NE(found, nullptr) << key;
        EXPECT_EQ(found->name, "Chlorine") << key;
    }
    EXPECT_EQ(FindElement("Chlor"), nullptr);
    EXPECT_EQ(FindElement(""), nullptr);
    EXPECT_EQ(FindElement("Cl "), nullptr);
    // The first match in table order wins, symbol or name.
    EXPECT_EQ(FindElement("xx")->atomicNumber, 4);
    EXPECT_EQ(FindElement("c")->name, "Carbon");
}

TEST_F(ElementTest, ElementAtChecksItsIndex) {
    EXPECT_EQ(ElementCount(), 4);
    EXPECT_EQ(ElementAt(0)->symbol, "H");
    EXPECT_EQ(ElementAt(3)->symbol, "Xx");
    EXPECT_EQ(ElementAt(4), nullptr);
    EXPECT_EQ(ElementAt(-1), nullptr);
}

TEST(ElementRadiusTest, FollowsTheMassRule) {
    EXPECT_FLOAT_EQ(ElementRadius(1.0f, 0), 14.0f);
    // Evaluated wider than float and rounded once: single precision
    // throughout gives 14.0105324, 17.084919 and 33.0049896.
    EXPECT_EQ(ElementRadius(1.008f, 0), 14.0105314f);
    EXPECT_EQ(ElementRadius(12.011f, -2), 17.0849209f);
    EXPECT_EQ(ElementRadius(200.59f, 0), 33.0049934f);
    EXPECT_NEAR(ElementRadius(12.0f, -2), 17.08f, 0.01f);
    EXPECT_NEAR(ElementRadius(35.45f, 0), 22.98f, 0.01f);
    // A mass of 0 or below contributes nothing rather than NaN.
    EXPECT_FLOAT_EQ(ElementRadius(0.0f, 3), 13.0f);
    EXPECT_FLOAT_EQ(ElementRadius(-5.0f, 0), 10.0f);
}

}  // namespace
