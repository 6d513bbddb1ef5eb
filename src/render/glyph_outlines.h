// Outline glyphs: each glyph's outline flattened into contours and its
// inside tessellated into triangles, in em units, for the scene's text.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <memory>
#include <vector>

#include "glyph_metrics.h"

struct GlyphPoint {
    float x = 0.0f;
    float y = 0.0f;
};

struct OutlineGlyph {
    std::vector<GlyphPoint> triangles;              // three per triangle, counter-clockwise from +z
    std::vector<std::vector<GlyphPoint>> contours;  // flattened, each closed back to its start
    bool fillLeft = false;  // the glyph lies left of each contour's direction
    GlyphMetrics metrics;
};

struct OutlineFont {
    std::array<OutlineGlyph, kOutlineGlyphCount> glyphs;
};

// Every glyph of codes 0..254 of face, unscaled and unhinted; the size is
// unused (one shape serves every size). Null when no tessellator can be had.
std::unique_ptr<OutlineFont> BuildOutlineFont(FT_Face face, int size);
