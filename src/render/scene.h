// One frame of the main window and the scene it draws: marker cages, lit
// atom spheres, links whose line width shows their order, translucent
// electron clouds. The same scene serves the plain frame and the passes of
// the shadowed frame.
#pragma once

#include <vector>

#include "colour.h"
#include "molecule.h"
#include "view_state.h"

// What the window hands to one frame. Sizes and the pointer are in device
// pixels, the pointer measured from the top left of the drawing area.
struct FrameInput {
    int width = 0;              // viewport width; nothing is drawn when 0 or less
    int height = 0;             // viewport height; nothing is drawn when 0 or less
    int mouseX = 0;             // pointer, pixels from the left
    int mouseY = 0;             // pointer, pixels from the top
    bool pointerInView = true;  // false: no pointer over the view, so nothing is hovered
    ViewInput keys;             // flight and scaling keys sampled at the start of the frame
};

// Line width of a single link, pixels.
constexpr float kLinkWidth = 2.0f;

// Updates the view, clears, sets the projection, the lights and the camera,
// picks the atom under the pointer into hoverNode, draws the scene and the
// overlay. Leaves both matrices at identity with the model-view selected.
void RenderFrame(const FrameInput& input);

// The molecule with the current matrices. pass 0 is the plain frame, 1 the
// ambient pass and 2 the direct-light pass of the shadowed frame.
void DrawScene(int pass);

// Sets the current colour of an unlit item (a link, a label) for a pass.
void PassColour(const Colour& colour, int pass);

// A sphere of the given radius at the current origin, tessellated by the
// node's distance from the eye; with solid false a marker cage instead.
void DrawAtomSphere(float radius, const Node& node, bool solid);

// A wireframe sphere: an octahedron subdivided depth times, in line mode.
void DrawCage(int depth, float radius);

// The slice (and stack) count of an atom's sphere: its element radius times
// the atom scale against its distance from the eye, between 6 and
// detailLevel + 6.
int SphereSlices(float elementRadius, float atomScale, float distance, int detailLevel);

// The cage's triangles as unit vectors, three per triangle, counter-clockwise
// seen from outside: 8 * 4^depth triangles.
std::vector<Vector3> CageVertices(int depth);

// Scales v to unit length, except that a length of exactly 0 or exactly 1
// leaves it as it is.
Vector3 ScaleToUnitLength(const Vector3& v);

// The colour as drawn: inverted (1 - r, 1 - g, 1 - b, a) while InvertColours is on.
Colour DisplayColour(const Colour& colour);
