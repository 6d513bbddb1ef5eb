// Stencil shadows: atoms cast shadows from the direct light onto each other.
// The scene is drawn in the ambient light, every atom's shadow volume is
// counted into the stencil buffer, and the direct light is added where the
// count is zero.
#pragma once

#include <vector>

#include "colour.h"
#include "molecule.h"

// One side wall of a shadow volume: four corners in drawing order.
struct ShadowQuad {
    Vector3 corners[4];
};

// Draws the shadowed frame in place of the plain scene. Expects the
// model-view matrix to hold the camera and back faces to be culled.
void DrawShadowedScene();

// The eye-space light point kLightPosition in model space, through the
// inverse camera transform.
Vector3 LightInModelSpace();

// Appends the node's 16 volume walls: its silhouette, a regular 16-gon of
// the drawn radius around it facing the light, extruded away from light to
// 10,000 times its distance. Each wall runs counter-clockwise seen from
// outside the volume. A node without element adds nothing.
void BuildShadowQuads(const Node& node, const Vector3& light, std::vector<ShadowQuad>& quads);

// Puts the quads into the context's volume buffer, replacing what it held.
void LoadShadowQuads(const std::vector<ShadowQuad>& quads);
// Draws the loaded quads in one call, each quad's corners in stored order.
void DrawShadowQuads();
