// What the fonts' glyph builders and their users share: a glyph's measures
// and the counts of the fonts' display lists.
#pragma once

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
