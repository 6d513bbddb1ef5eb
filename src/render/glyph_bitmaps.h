// Bitmap glyphs: one bit a pixel, rendered by FreeType at the largest pixel
// size whose line fits, for the flat overlay.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <memory>
#include <vector>

#include "glyph_metrics.h"

struct BitmapGlyph {
    int width = 0;         // pixels
    int height = 0;        // pixels
    float originX = 0.0f;  // pen position right of the bitmap's left edge, pixels
    float originY = 0.0f;  // pen position above the bitmap's bottom edge, pixels
    float advance = 0.0f;  // pixels
    std::vector<unsigned char>
        pixels;  // one bit a pixel, bottom row first, (width + 7) / 8 bytes a row
};

struct BitmapFont {
    std::array<BitmapGlyph, kFontListCount> glyphs;
};

// Every glyph of face for a line of at most linePixels; null when the face
// cannot be sized so (6 pixels at least).
std::unique_ptr<BitmapFont> BuildBitmapFont(FT_Face face, int linePixels);
