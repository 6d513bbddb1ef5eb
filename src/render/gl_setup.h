// The OpenGL state every frame relies on: the fixed state set once when a
// context is made, the two lights set at the start of every frame, and the
// camera transform loaded into GL.
#pragma once

#include "colour.h"
#include "notice.h"

// What every drawing surface of the program needs: the shadows count into
// the stencil buffer, and the window swaps a back buffer in.
constexpr int kSurfaceDepthBits = 24;
constexpr int kSurfaceStencilBits = 8;
constexpr bool kSurfaceDoubleBuffered = true;
// Samples per pixel asked for, so that edges are antialiased; a surface
// without them is taken when the driver refuses.
constexpr int kSurfaceSamples = 4;

// Both lights sit at this point in eye space: 200 units right of and above
// the eye, level with it, so the lighting stays fixed to the viewer however
// the model turns. The shadows take it into model space.
constexpr Vector3 kLightPosition{200.0f, 200.0f, 0.0f};

// Sets the fixed state on the current context, makes the bitmap and the
// outline font's display lists (fonts.h) and resets the camera. Run once,
// right after the context is made current for the first time. Hands back a
// notice for each font that could not be made, bitmaps first; the program
// carries on without them.
Notices SetupOpenGL();

// How many contexts SetupOpenGL has prepared. Objects kept on a context
// remember the count they were made under; a different count means that
// context is gone and they are made again.
int ContextGeneration();

// Both lights, the material and colour material. The model-view matrix must
// be the identity, so the light positions are eye coordinates.
void SetupLights();

// The frame's projection (ProjectionMatrix) loaded on the projection matrix,
// the viewport (-left, -bottom, width, height): the part of the frame drawn
// starts left pixels in from its left edge and bottom up from its bottom, as
// a tile of a picture larger than the framebuffer does. Leaves the model-view
// matrix selected.
void SetProjection(int width, int height, int left = 0, int bottom = 0);

// The largest frame the current context can draw, tile by tile: its
// viewport's limits, pixels.
void LargestFrame(int& width, int& height);

// True when the context has run out of memory since errors were last read;
// reads (and so clears) every error it holds.
bool OutOfMemoryReported();
// Multiplies the current matrix by ProjectionMatrix(width, height).
void MultiplyProjection(int width, int height);

// Multiplies the current matrix by the camera transform, CameraMatrix(): the
// view pitch and yaw, minus the eye, then the model pitch and yaw.
void ApplyCamera();
