// Stencil shadows: atoms cast shadows from the direct light onto each other.
// The scene is drawn in the ambient light, every atom's shadow volume is
// counted into the stencil buffer, and the direct light is added where the
// count is zero.
#pragma once

#include <vector>

#include "colour.h"
#include "drawing_choices.h"
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
// The eye's position in model space, from the camera alone.
Vector3 EyeInModelSpace();

// Appends the node's 16 volume walls: its silhouette, a regular 16-gon of
// the drawn radius around it facing the light, extruded away from light to
// 10,000 times its distance, or, when reach is above 0, to reach from the
// light. Each wall runs counter-clockwise seen from outside the volume. A
// node without element adds nothing.
void BuildShadowQuads(const Node& node, const Vector3& light, std::vector<ShadowQuad>& quads,
                      float reach = 0.0f);

// How far from the light the volumes of a frame need to reach, or 0 when
// they must run on without end. Shadows fall only on what lies within the
// ball around what the scene draws (DrawnRadius around each atom, and
// lineSpread times its distance from the eye beyond that for wide lines,
// whose pixels lie off their geometry); a volume that ends beyond that ball
// counts the same for every surface, as long as the eye is no farther from
// the light than the ball's far side (then no line of sight to a surface
// passes beyond the end). Shorter volumes cover far fewer pixels.
float ShadowReach(const std::vector<Node>& nodes, const Vector3& light, const Vector3& eye,
                  float lineSpread);

// Puts the quads into the context's volume buffer, replacing what it held.
void LoadShadowQuads(const std::vector<ShadowQuad>& quads);
// Draws the loaded quads in one call, each quad's corners in stored order.
void DrawShadowQuads();
