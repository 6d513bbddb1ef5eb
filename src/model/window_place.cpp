// The main window's place at start-up.
#include "window_place.h"

#include <algorithm>

#include "clamp.h"
#include "settings.h"

namespace {

// value within [low, high], with high raised to low when the range is empty.
long long Within(long long value, long long low, long long high) {
    return std::clamp(value, low, std::max(low, high));
}

}  // namespace

ClientPlace PlaceClientArea(int frameX, int frameY, int frameWidth, int frameHeight,
                            const ScreenArea& desktop) {
    // Wide throughout, so that no sum of file values and screen values wraps.
    const long long width = Within(frameWidth, kFrameInsets.width + 1LL, desktop.width);
    const long long height = Within(frameHeight, kFrameInsets.height + 1LL, desktop.height);
    const long long x =
        Within(frameX, desktop.left + kFrameKeptInView - width,
               desktop.left + static_cast<long long>(desktop.width) - kFrameKeptInView);
    const long long y =
        Within(frameY, desktop.top + kFrameKeptInView - height,
               desktop.top + static_cast<long long>(desktop.height) - kFrameKeptInView);
    ClientPlace place;
    place.x = ClampToInt(x + kFrameInsets.left);
    place.y = ClampToInt(y + kFrameInsets.top);
    place.width = ClampToInt(width - kFrameInsets.width);
    place.height = ClampToInt(height - kFrameInsets.height);
    return place;
}
