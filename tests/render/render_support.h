// A fresh offscreen context for every render test, with helpers to build a
// small molecule, draw a frame and probe its pixels and the ink of its text.
#pragma once

#include <climits>
#include <vector>

#include "colour.h"
#include "offscreen.h"
#include "process_state.h"

constexpr int kViewWidth = 600;
constexpr int kViewHeight = 400;
// The origin is drawn at the centre of the view; at the default eye distance
// of 500 one model unit is about one pixel.
constexpr int kCentreX = kViewWidth / 2;
constexpr int kCentreY = kViewHeight / 2;

class RenderTest : public FreshProcessTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // An element of this radius and colour; the table keeps room for 32, so
    // the pointers the nodes hold stay valid.
    int AddElement(float radius, const Colour& colour);
    // A node of that element at position; returns its id.
    int AddNode(int element, const Vector3& position);
    // A link of that order stored at both ends.
    void Link(int a, int b, int order);

    // One frame at the test view size with the pointer at (mouseX, mouseY)
    // and that display pixel ratio, or with no pointer over the view.
    void Frame(int mouseX, int mouseY, float pixelRatio = 1.0f);
    void Frame();

    // The colour at a pixel, origin top left, channels 0..1.
    Colour Pixel(int x, int y) const;
    // The depth buffer value at a pixel, origin top left.
    float Depth(int x, int y) const;
    // The sum of the alpha channel down the column at x, rows top to bottom
    // (the last one excluded).
    float AlphaDownColumn(int x, int top, int bottom) const;

    // The pixels within tolerance of colour inside the rectangle from
    // (left, top) to (right, bottom), the last column and row excluded,
    // origin top left: how many, and the smallest box holding them.
    struct Ink {
        int count = 0;
        int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;  // inclusive
    };
    Ink InkOf(const Colour& colour, int left, int top, int right, int bottom,
              float tolerance = 0.02f) const;

    OffscreenContext context_;
};

// A shadowed frame with the specular highlight off and no title, so that
// pixels show the two light shares alone.
class ShadowedRenderTest : public RenderTest {
protected:
    void SetUp() override;
};

// True when the colours agree channel by channel within tolerance (alpha ignored).
bool NearColour(const Colour& a, const Colour& b, float tolerance = 0.02f);

// The feedback of drawing the scene (pass 0) with the frame's projection and
// camera at the test view size: one entry per line and per polygon drawn.
struct FeedbackPrimitive {
    bool line = false;  // a line (also a polygon edge in line mode), else a polygon
    Colour colour;      // colour of the first vertex
};
std::vector<FeedbackPrimitive> SceneFeedback();

// The atom under the pointer as OpenGL selection mode finds it: every atom's
// tessellated sphere drawn into a 2 x 2 pixel pick region, the smallest
// minimum depth winning, the earlier atom on a tie, -1 for none or when the
// selection buffer of 1024 records overflows. Sets the frame matrices of the
// test view first.
int SelectionPick(int mouseX, int mouseY);

// The projection, viewport and camera of a frame of the test view, with the
// model-view matrix selected.
void SetFrameMatrices();
