// The drawing helpers that the scene, the text, the shadows and picking
// share: the render passes and the colour of unlit items in each, the
// distance-tessellated atom sphere and the marker cage.
#pragma once

#include <vector>

#include "colour.h"
#include "molecule.h"

// How a drawing of the scene is lit. A plain frame draws it once; a shadowed
// frame draws it in the ambient light alone, then adds the direct light
// where no shadow falls.
enum class RenderPass {
    plain,    // both lights, full colours
    ambient,  // light 1 only: the ambient share of every unlit colour
    direct    // light 0 only: the direct share, added on top
};

// The colour as drawn: inverted (1 - r, 1 - g, 1 - b, a) while InvertColours is on.
Colour DisplayColour(const Colour& colour);
// Sets the current colour to DisplayColour(colour).
void SetDisplayColour(const Colour& colour);

// Sets the current colour of an unlit item (a link, a label) for a pass: the
// displayed colour in a plain frame, the ambient or direct light's share of
// it in the passes of a shadowed frame (alpha unchanged in every pass).
void PassColour(const Colour& colour, RenderPass pass);

// A sphere of the given radius at the current origin, tessellated by the
// node's distance from the eye; with solid false a marker cage instead.
void DrawAtomSphere(float radius, const Node& node, bool solid);

// A wireframe sphere: an octahedron subdivided depth times, in line mode,
// its corners CageDrawnRadius(radius) from the origin.
void DrawCage(int depth, float radius);
// How far from its centre DrawCage(depth, radius) draws: a little beyond
// radius, so the cage stands clear of a sphere of that radius.
float CageDrawnRadius(float radius);

// The slice (and stack) count of an atom's sphere: its element radius times
// the atom scale against its distance from the eye, between 6 and
// detailLevel + 6 (and at most 256), never below 6 whatever detailLevel.
int SphereSlices(float elementRadius, float atomScale, float distance, int detailLevel);

// The cage's triangles as unit vectors, three per triangle, counter-clockwise
// seen from outside: 8 * 4^depth triangles.
std::vector<Vector3> CageVertices(int depth);
