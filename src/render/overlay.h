// The flat overlay drawn over the scene in normalised device coordinates:
// the hovered atom's element data at the top left and the credit line at the
// bottom right in bitmap glyphs, the molecule's name and formula as a title.
#pragma once

#include <array>
#include <string>

#include "molecule.h"

// The credit line at the bottom right; its 20 characters at 7.5 pixels each
// end at the right edge of the view.
inline constexpr char kCreditLine[] = "Tessaril - molecules";
static_assert(sizeof kCreditLine - 1 == 20);

// What the overlay tells about the node's element: its name, "Period %d,
// Group %s", "Mass = %g amu" and "#Bonds = %d" (links, whatever their order).
std::array<std::string, 4> HoverLines(const Node& node);

// Sets both matrices to identity, with the model-view selected, and draws
// the overlay there: the hovered node's lines, the credit line, the title.
// Its bitmap text and steps grow with pixelRatio, the display's device
// pixels per layout pixel (1 to 8, as the frame clamps it). Node dragging reads these identity
// matrices between frames.
void DrawOverlay(float pixelRatio = 1.0f);

// The molecule's name centred near the top, and its formula below with the
// digits as lowered subscripts at 70 %, in outline glyphs of em height 0.1.
void DrawTitle();
