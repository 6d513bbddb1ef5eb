// Where the molecule is seen from: the eye, the turn of the line of sight and
// of the model, the atom scale and the label options, with the per-frame
// update from the flight and scaling keys.
#pragma once

#include "colour.h"

struct ViewState {
    bool operator==(const ViewState&) const = default;  // field by field
    Vector3 eye{0.0f, 0.0f, 500.0f};  // eye position in the frame of the turned model
    float viewPitch = 0.0f;           // degrees, tilt of the line of sight about the eye's x axis
    float viewYaw = 0.0f;             // degrees, turn of the line of sight about the eye's y axis
    float modelPitch = 0.0f;          // degrees, turn of the model about its x axis
    float modelYaw = 0.0f;            // degrees, turn of the model about its y axis
    float atomScale = 1.0f;           // factor on every atom radius
    int labelMode = 0;                // 0 none, 1 element symbols, 2 full names
    float textSize = 4.0f;            // factor on the labels drawn at the atoms
    bool demoSpin = false;            // the model turns a little every frame
    float lineScale = 1.0f;           // factor on line widths, for pictures larger than the view
    int viewWidth = 0;                // the window's drawing area, pixels; 0 without a window
    int viewHeight = 0;               // likewise
    float farPlane = 10000.0f;        // model units from the eye; each frame moves it out past
                                      // the farthest atom when that lies beyond the usual 10,000
};

// The one view of the process: program.viewState.
extern ViewState& viewState;

// The keys and modifiers sampled once at the start of a frame.
struct ViewInput {
    bool mainWindowActive = false;  // the main window, not a dialog, is in front
    bool fullStopHeld = false;      // fly forward
    bool commaHeld = false;         // fly back
    bool upHeld = false;            // grow the atoms
    bool downHeld = false;          // shrink the atoms
    bool shiftHeld = false;         // slower
    bool ctrlHeld = false;          // faster; wins over Shift
};

// The unit vector along which the eye looks, in the frame of the turned model.
Vector3 ViewDirection();
// Moves the eye along the line of sight; positive is forward.
void MoveEye(float distance);
// Eye back at (0, 0, 500) and all four angles 0; scale and labels untouched.
void ResetCamera();
// Flight, atom scaling and the demonstration spin for one frame.
void UpdateViewForFrame(const ViewInput& input);
