// The program's two fonts as display lists, made with FreeType from
// fontconfig's default sans face: bitmap glyphs for the flat overlay and bold
// outline glyphs, extruded and tessellated, for text in the scene.
#pragma once

#include <array>
#include <optional>

#include "font_face.h"
#include "glyph_metrics.h"
#include "notice.h"

// Bitmap glyphs are sized so that one line of text is at most this tall.
constexpr int kBitmapLinePixels = 15;

// The two fonts of the current context, made by SetupOpenGL.
struct Fonts {
    // First of 256 lists: list + k draws the bitmap of character code k
    // (Latin-1) at the raster position and moves the raster position on by
    // its width.
    unsigned int bitmapBase = 0;
    int bitmapLinePixels = kBitmapLinePixels;  // the line those bitmaps are sized for
    // First of 256 lists: list + k, k < 255, draws code k as filled polygons
    // with em height 1, front face at z = 0 seen from positive z, extruded to
    // z = -kOutlineDepth with side walls, then translates by the advance width.
    unsigned int outlineBase = 0;
    // The outline glyphs' measures, codes 0..254; code 255 stays all zero.
    std::array<GlyphMetrics, kFontListCount> glyphMetrics{};
};
extern Fonts fonts;

// Reserves the bitmap font's 256 lists on the current context, keeps the
// first in fonts.bitmapBase and fills them from face. When face cannot be
// loaded the lists stay empty and the notice "Error - could not setup font
// bitmaps" is handed back for the shell to show; nothing when they are made.
std::optional<Notice> SetupBitmapFont(const FontFace& face);

// Remakes the bitmap lists from the same face for a line of at most
// linePixels (the overlay at a display's pixel ratio). Nothing when they
// already have that size or the face failed; a face that cannot be sized so
// keeps the lists as they are.
void ScaleBitmapFont(int linePixels);

// Reserves the outline font's 256 lists, keeps the first in fonts.outlineBase
// and fills lists 0..254 and fonts.glyphMetrics from face. When face cannot be
// loaded the lists stay empty, the metrics zero, and the notice "Error -
// could not setup font outlines" is handed back; nothing when they are made.
std::optional<Notice> SetupOutlineFont(const FontFace& face);
