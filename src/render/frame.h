// One frame of the main window: the view update, clears, projection, lights
// and camera, the pick of the atom under the pointer, the scene (plain or
// shadowed) and the overlay.
#pragma once

#include "view_state.h"

// What the window hands to one frame. Sizes and the pointer are in device
// pixels, the pointer measured from the top left of the drawing area.
struct FrameInput {
    int width = 0;              // viewport width; nothing is drawn when 0 or less
    int height = 0;             // viewport height; nothing is drawn when 0 or less
    int mouseX = 0;             // pointer, pixels from the left
    int mouseY = 0;             // pointer, pixels from the top
    bool pointerInView = true;  // false: no pointer over the view, so nothing is hovered
    bool keepHover = false;     // true: no pick; the atom hovered before stays hovered
    float pixelRatio = 1.0f;    // device pixels per layout pixel: lines and overlay grow by it
    int tileLeft = 0;           // the framebuffer holds the part of the frame from this many
    int tileBottom = 0;         // pixels in from its left and up from its bottom edge
    ViewInput keys;             // flight and scaling keys sampled at the start of the frame
};

// Updates the view, clears, sets the projection, the lights and the camera,
// picks the atom under the pointer into hoverNode, draws the scene and the
// overlay. Leaves both matrices at identity with the model-view selected.
void RenderFrame(const FrameInput& input);
