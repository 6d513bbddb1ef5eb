// Text in the scene: outline-glyph strings at the atoms (the element label
// and the charge), with the measures and wording they share with the
// overlay.
#pragma once

#include <string>
#include <string_view>

#include "drawing.h"
#include "molecule.h"

// The sum of the outline glyphs' advance widths, em units; every byte is a
// character code 0..255.
float TextAdvance(std::string_view text);

// Calls the display list base + code for every byte of text in turn.
void CallGlyphLists(unsigned int base, std::string_view text);

// The group's Roman numeral ("O" for 0, "I" to "VIII"; nothing outside
// 0..8) followed by the group letter.
std::string GroupText(int group, char groupLetter);

// "2+" for a charge of 2, "2-" for -2, empty for 0.
std::string ChargeText(int charge);

// Width in pixels of the lines that draw a label's rim in the background
// colour; about half of it shows outside the glyphs.
constexpr float kLabelRimWidth = 3.0f;

// The text in outline glyphs of em height size, centred horizontally on the
// current origin with its baseline there, lifted 0.1 towards the eye, in the
// pass's text colour. Leaves the front faces counter-clockwise.
void Draw3DText(std::string_view text, float size, RenderPass pass);

// The node's element label (by labelMode) in front of it and its charge
// above it, both upright in the unturned model frame. Called with the
// model-view matrix at the node's position; the caller pops it afterwards.
void DrawAtomLabels(const Node& node, RenderPass pass);

// How far from the node's centre the ink of its labels reaches (0 without
// labels), model units.
float LabelReach(const Node& node);
