// The main window's place at start-up: the frame from the settings kept on
// the desktop, whatever the file says.
#include <gtest/gtest.h>

#include <climits>

#include "window_place.h"

namespace {

TEST(WindowPlaceTest, KeepsTheFrameOnTheDesktop) {
    const ScreenArea screen{0, 0, 1280, 1024};
    const ScreenArea twoScreens{-1920, 0, 3200, 1080};
    struct Case {
        int x, y, width, height;
        ScreenArea desktop;
        ClientPlace expected;
    };
    const Case cases[] = {
        {100, 100, 600, 400, screen, {104, 150, 592, 346}},
        // Partly beyond the left and top edges: left as it is.
        {-200, -30, 600, 400, screen, {-196, 20, 592, 346}},
        {1, 1, 1000000000, 1000000000, screen, {5, 51, 1272, 970}},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, screen, {1234, 1024, 1272, 970}},
        {INT_MIN, INT_MIN, INT_MIN, INT_MIN, screen, {45, 45, 1, 1}},
        {-100000, 5000, 600, 400, screen, {-546, 1024, 592, 346}},
        {-1800, 10, 600, 400, twoScreens, {-1796, 60, 592, 346}},
    };
    for (const Case& c : cases) {
        const ClientPlace place = PlaceClientArea(c.x, c.y, c.width, c.height, c.desktop);
        EXPECT_EQ(place.x, c.expected.x) << c.x;
        EXPECT_EQ(place.y, c.expected.y) << c.y;
        EXPECT_EQ(place.width, c.expected.width) << c.width;
        EXPECT_EQ(place.height, c.expected.height) << c.height;
    }
}

}  // namespace
