// Atoms and clouds drawn as ray-cast spheres: one screen-facing quad per
// sphere, the sphere found along each pixel's ray in a GLSL 1.20 fragment
// program, its depth written exactly and its colour lit per pixel by the very
// lights, material and colour-material rule that the fixed pipeline would use
// (read from the GL state). Every sphere is exact whatever its distance.
#pragma once

#include <vector>

#include "colour.h"
#include "drawing_choices.h"
#include "molecule.h"

// One sphere to draw: centre (model space), radius and colour as drawn.
struct SphereItem {
    Vector3 centre;
    float radius = 0.0f;
    Colour colour;
};

// True when the scene draws its spheres with the shader on the current
// context: asked for, and the program built (once per context).
bool ShaderSpheresInUse();

// Draws the spheres with the current matrices, lights and enabled lights,
// in one draw call. blended: clouds, whose alpha also fades their rim; opaque
// spheres turn their rim into multisample coverage when the surface has
// samples. Returns false, drawing nothing, when the shader is not in use.
bool DrawSphereBatch(const std::vector<SphereItem>& spheres, bool blended);
