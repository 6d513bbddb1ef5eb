// Colour: the small value type shared by the model, the settings and the
// renderer, beside the geometry kit's vector that every position uses.
#pragma once

#include "geometry.h"

struct Colour {
    bool operator==(const Colour&) const = default;
    float red = 0.0f;    // 0..1
    float green = 0.0f;  // 0..1
    float blue = 0.0f;   // 0..1
    float alpha = 1.0f;  // 0..1, 1 is opaque
};
