// What the window's picture is drawn from, kept from the last frame so the
// window can tell whether a new one would show anything different: the view,
// the settings, the element colours and sizes, and the molecule as drawn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "colour.h"
#include "settings.h"
#include "view_state.h"

struct PictureState {
    ViewState view;                    // the camera, scales and label options
    Settings settings;                 // colours, lights, shadows and the rest
    std::vector<float> elementLooks;   // each element's colour and radius, in table order
    std::vector<Vector3> positions;    // each atom's position
    std::vector<std::intptr_t> atoms;  // each atom's element, marks, charge and links
    std::string name;                  // the title
    std::string formula;               // drawn under the title
    int currentNode = -1;              // highlighted atom
    int hoverNode = -1;                // atom under the pointer at the frame
};

// Takes the state from the program's molecule, settings, view and elements,
// reusing state's storage.
void CapturePicture(PictureState& state);

// Atoms closer than this (model units) to where they were drawn look the same.
inline constexpr float kUnseenMove = 0.01f;

// True when a frame drawn from now would differ from one drawn from drawn:
// anything but atoms moving less than kUnseenMove differs.
bool PictureChanged(const PictureState& drawn, const PictureState& now);
