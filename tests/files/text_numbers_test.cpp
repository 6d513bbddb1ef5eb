// Numbers read as atoi/atof would, and "%g" formatting.
#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <random>
#include <string>

#include "text_numbers.h"

namespace {

TEST(ReadIntTest, ReadsLikeAtoi) {
    EXPECT_EQ(ReadInt("42"), 42);
    EXPECT_EQ(ReadInt("  -17xyz"), -17);
    EXPECT_EQ(ReadInt("+5,6"), 5);
    EXPECT_EQ(ReadInt("\t\n 9"), 9);
    EXPECT_EQ(ReadInt("abc"), 0);
    EXPECT_EQ(ReadInt(""), 0);
    EXPECT_EQ(ReadInt("- 3"), 0);
    EXPECT_EQ(ReadInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(ReadInt("-99999999999999999999"), -2147483647 - 1);
}

TEST(ReadFloatTest, ReadsLikeAtof) {
    struct Case {
        const char* text;
        float expected;
    } cases[] = {
        {"0.5", 0.5f},     {"  -2.25]", -2.25f}, {"+3", 3.0f}, {"1.", 1.0f},     {".25", 0.25f},
        {"1e3,", 1000.0f}, {"2E-2", 0.02f},      {"7e", 7.0f}, {"7e+", 7.0f},    {"abc", 0.0f},
        {"", 0.0f},        {"-", 0.0f},          {".", 0.0f},  {"1e-999", 0.0f}, {"0.8", 0.8f},
    };
    for (const Case& c : cases) {
        float value = 123.0f;
        EXPECT_TRUE(ReadFloat(c.text, value)) << c.text;
        EXPECT_FLOAT_EQ(value, c.expected) << c.text;
    }
}

TEST(ReadFloatTest, RejectsNumbersThatAreNotFiniteFloats) {
    for (const char* text : {"nan", "-NaN", "inf", "Infinity", "1e999", "1e39", "-4e38",
                             "100000000000000000000000000000000000000000"}) {
        float value = 123.0f;
        EXPECT_FALSE(ReadFloat(text, value)) << text;
        EXPECT_EQ(value, 123.0f) << text;
        EXPECT_EQ(ReadFloatOrZero(text), 0.0f) << text;
    }
    float value = 0.0f;
    EXPECT_TRUE(ReadFloat("3e38", value));
    EXPECT_FLOAT_EQ(value, 3e38f);
}

TEST(ReadFloatTest, ShortDecimalsMatchTheGeneralConversion) {
    // Numbers of few digits take a shortcut; it must round exactly as the
    // general conversion does.
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        std::string text = (random() % 2) ? "-" : "";
        const int whole = static_cast<int>(random() % 9);
        for (int d = 0; d < whole; ++d) text += static_cast<char>('0' + random() % 10);
        if (random() % 3) {
            text += '.';
            const int fraction = static_cast<int>(random() % 9);
            for (int d = 0; d < fraction; ++d) text += static_cast<char>('0' + random() % 10);
        }
        if (random() % 4 == 0) text += "e" + std::to_string(static_cast<int>(random() % 61) - 30);
        double general = 0.0;
        const char* begin = text.c_str();
        const char* end = begin + text.size();
        if (std::from_chars(begin, end, general).ec != std::errc()) continue;
        float value = 0.0f;
        ASSERT_TRUE(ReadFloat(text, value)) << text;
        EXPECT_EQ(value, static_cast<float>(general)) << text;
    }
}

TEST(FormatGTest, MatchesPrintfShortestSixDigits) {
    const double values[] = {0.0,       0.1,     0.8f,   1.0,     -30.0,  123456.0,
                             1234567.0, 1e6,     0.0001, 0.00001, 35.45f, 1.0 / 3.0,
                             -0.0,      4.0026f, 1e-10,  3.4e38};
    for (double value : values) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%g", value);
        EXPECT_EQ(FormatG(value), expected) << value;
    }
}

}  // namespace
