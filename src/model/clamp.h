// Values computed in a wider type and stored in a narrower one: the nearest
// value the narrow type holds, never a wrapped or undefined one.
#pragma once

#include <algorithm>
#include <climits>

// The int nearest to value.
constexpr int ClampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}
