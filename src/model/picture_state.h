// What the window's picture is drawn from, kept from the last frame so the
// window can tell whether a new one would show anything different: the view,
// the settings, the element colours and sizes, and the molecule as drawn.
#pragma once

#include <vector>

#include "settings.h"
#include "undo.h"
#include "view_state.h"

struct PictureState {
    ViewState view;                   // the camera, scales and label options
    Settings settings;                // colours, lights, shadows and the rest
    std::vector<float> elementLooks;  // each element's colour and radius, in table order
    MoleculeSnapshot molecule;        // atoms, marks, links, title and formula
    int currentNode = -1;             // highlighted atom
    int hoverNode = -1;               // atom under the pointer at the frame
};

// Takes the state from the program's molecule, settings, view and elements.
void CapturePicture(PictureState& state);

// Atoms closer than this (model units) to where they were drawn look the same.
inline constexpr float kUnseenMove = 0.01f;

// True when a frame drawn now would differ from the one drawn from drawn:
// anything but atoms moving less than kUnseenMove differs.
bool PictureChanged(const PictureState& drawn);
