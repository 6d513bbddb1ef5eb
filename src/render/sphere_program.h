// The ray-cast sphere program on the current context: compiled and linked
// from the shader sources, its uniforms found, and set for a draw from the
// GL state (lights, projection, viewport).
#pragma once

#include "geometry.h"

// The program's vertex attribute slots; the sphere aliases the vertex position.
constexpr unsigned int kSphereAttribute = 0;
constexpr unsigned int kColourAttribute = 1;
constexpr unsigned int kCornerAttribute = 2;

// How the fragment program treats a sphere's rim: cut at the pixel centre,
// turned into multisample coverage, or faded (a blended sphere's alpha).
enum class SphereEdge { cut = 0, coverage = 1, faded = 2 };

// The program and where its uniforms are.
struct SphereProgram {
    unsigned int program = 0;  // 0: none, the fallback draws
    int lightKind = -1;
    int edge = -1;
    int attenuated = -1;
    int rayFromPixel = -1;
    int depthRow = -1;
    int wRow = -1;
    int sprites = -1;
    int viewportSize = -1;
    float largestPoint = 0.0f;  // the driver's largest point size, pixels
};

// The program on the current context; program 0 when the context offers no
// GLSL 1.20 or the sources do not compile or link.
SphereProgram BuildSphereProgram();

// Sets the program's uniforms, the program in use: the enabled lights and
// what each gives, the rim, and the ray and depth of a pixel by the
// projection and the viewport (left, bottom, width, height, pixels).
void SetSphereUniforms(const SphereProgram& program, SphereEdge edge, const Matrix4& projection,
                       float left, float bottom, float width, float height);
