// The pseudo-random generator: 15-bit draws, repeatable from a seed.
#include <gtest/gtest.h>

#include "random.h"

namespace {

TEST(RandomTest, DrawsLieFrom0To32767AndRepeatFromASeed) {
    SeedRandom(1);
    // The Windows C runtime's first draws after seeding with 1.
    EXPECT_EQ(RandomInteger(), 41);
    EXPECT_EQ(RandomInteger(), 18467);
    EXPECT_EQ(RandomInteger(), 6334);

    SeedRandom(2024);
    std::vector<int> first;
    int low = 32767, high = 0;
    for (int i = 0; i < 100000; ++i) {
        const int r = RandomInteger();
        if (i < 10) first.push_back(r);
        low = std::min(low, r);
        high = std::max(high, r);
    }
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 32767);
    SeedRandom(2024);
    for (int expected : first) EXPECT_EQ(RandomInteger(), expected);
}

}  // namespace
