// The Colour Selection dialog: a modeless window that edits one colour in
// place with four bars, so the next frame already shows the change.
#pragma once

#include "colour.h"

// Opens a new Colour Selection dialog on colour, owned by the main window, at
// (1, 1) on the screen, and returns at once. Any number can be open, several
// on the same colour. OK keeps the edited colour; Cancel, Escape and the
// close box put back the four components it had when this dialog opened.
// colour must outlive the dialog (a field of the settings or an element's
// colour, both of which live for the whole run).
void OpenColourDialog(Colour& colour);

// One bar position in a colour component: position / 255 in single
// precision. Positions 0..255 give components 0..1 exactly at both ends.
constexpr float kColourStep = 0.003921569f;
