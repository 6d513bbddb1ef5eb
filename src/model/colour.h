// Colour and three-component vector: the small value types shared by the
// model, the settings and the renderer.
#pragma once

struct Colour {
    bool operator==(const Colour&) const = default;
    float red = 0.0f;    // 0..1
    float green = 0.0f;  // 0..1
    float blue = 0.0f;   // 0..1
    float alpha = 1.0f;  // 0..1, 1 is opaque
};

struct Vector3 {
    bool operator==(const Vector3&) const = default;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};
