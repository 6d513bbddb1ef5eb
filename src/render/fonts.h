// The program's two fonts as display lists, made with FreeType from
// fontconfig's default sans face: bitmap glyphs for the flat overlay and bold
// outline glyphs, extruded and tessellated, for text in the scene.
#pragma once

#include <array>
#include <string>

// One glyph's measures in em units (the outline font's em height is 1).
struct GlyphMetrics {
    float blackBoxX = 0.0f;  // width of the glyph's ink
    float blackBoxY = 0.0f;  // height of the glyph's ink
    float originX = 0.0f;    // left edge of the ink, right of the pen position
    float originY = 0.0f;    // top edge of the ink, above the baseline
    float cellIncX = 0.0f;   // advance width: how far the pen moves on
    float cellIncY = 0.0f;   // vertical advance, 0 for horizontal text
};

constexpr int kFontListCount = 256;      // lists per font, one per character code
constexpr int kOutlineGlyphCount = 255;  // outline lists filled; the last one stays empty
constexpr float kOutlineDepth = 0.1f;    // extrusion of the outline glyphs along negative z
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

// A font file and the index of the face inside it.
struct FontFace {
    std::string file;  // empty when no face was found
    int index = 0;     // face within the file
};

// fontconfig's default sans-serif face, regular or bold.
FontFace DefaultSansFace(bool bold);

// Reserves the bitmap font's 256 lists on the current context, keeps the
// first in fonts.bitmapBase and fills them from face. When face cannot be
// loaded the lists stay empty and "Error - could not setup font bitmaps" is
// shown; false then.
bool SetupBitmapFont(const FontFace& face);

// Remakes the bitmap lists from the same face for a line of at most
// linePixels (the overlay at a display's pixel ratio). Nothing when they
// already have that size or the face failed; a face that cannot be sized so
// keeps the lists as they are.
void ScaleBitmapFont(int linePixels);

// Reserves the outline font's 256 lists, keeps the first in fonts.outlineBase
// and fills lists 0..254 and fonts.glyphMetrics from face. When face cannot be
// loaded the lists stay empty, the metrics zero, and "Error - could not
// setup font outlines" is shown; false then.
bool SetupOutlineFont(const FontFace& face);
