// The camera transform as plain 4x4 maths, built in the same order and with
// the same single-precision steps as the OpenGL matrix calls, so dragging
// and picking use it without a GL context and the frame loads it into GL.
#pragma once

#include "geometry.h"

// The model-view matrix of the camera: view pitch, view yaw, minus the eye,
// model pitch, model yaw, applied to an identity.
Matrix4 CameraMatrix();
// Its inverse, built from the opposite calls in the opposite order.
Matrix4 InverseCameraMatrix();

// The frame's perspective: a vertical field of view of 45 degrees, the aspect
// ratio of the view, and the near and far planes, in model units from the eye.
// The far plane is the view's farPlane, never nearer than kFarPlane.
constexpr double kFieldOfViewDegrees = 45.0;
constexpr double kNearPlane = 20.0;
constexpr double kFarPlane = 10000.0;

// The far plane in use: viewState.farPlane, at least kFarPlane.
double FarPlane();

// The projection matrix of a width x height view (pixels) with those
// constants, as gluPerspective builds it in double precision and GL stores it
// in single. A size of 0 or less is taken as 1, so the
// matrix stays finite.
Matrix4 ProjectionMatrix(int width, int height);

// The share of the view (across and up) that a fitted molecule may fill; the
// rest is the margin around it.
constexpr double kFitShare = 0.95;

// Moves the eye back along the line of sight, as little as it takes, until
// every atom's drawn sphere (radius atomScale times its element's radius)
// lies inside the central kFitShare of a width x height view and beyond the
// near plane. Leaves the eye where it is when they already do.
void FitEyeToMolecule(int width, int height);

// FitEyeToMolecule for the window's view (viewState.viewWidth and
// viewHeight), so a molecule just read that is too large for it is seen
// whole; nothing without a window.
void FitEyeToView();
