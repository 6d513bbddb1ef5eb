// Where the main window goes at start-up: the outer frame that the settings
// give, kept within what the screens offer, turned into the client area.
#pragma once

// The part of the desktop that windows may take, in screen pixels.
struct ScreenArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct ClientPlace {
    int x = 0;       // client area's left edge, screen pixels
    int y = 0;       // client area's top edge
    int width = 1;   // at least 1
    int height = 1;  // at least 1
};

// How much of the frame stays on the desktop, at least, in each direction.
constexpr int kFrameKeptInView = 50;

// The frame is made no larger than the desktop and moved, if need be, until
// kFrameKeptInView pixels of it lie on the desktop; a frame partly beyond an
// edge stays where it is. The client area then sits within the frame by the
// frame insets. Any values, INT_MIN and INT_MAX included, are taken.
ClientPlace PlaceClientArea(int frameX, int frameY, int frameWidth, int frameHeight,
                            const ScreenArea& desktop);
