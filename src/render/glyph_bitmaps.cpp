// Bitmap glyphs rendered by FreeType in monochrome.
#include "glyph_bitmaps.h"

#include <algorithm>
#include <cstdlib>

#include "open_face.h"

std::unique_ptr<BitmapFont> BuildBitmapFont(FT_Face face, int linePixels) {
    // The largest pixel size whose line still fits the overlay's line step.
    bool sized = false;
    for (int pixels = linePixels; pixels >= 6 && !sized; --pixels)
        sized = FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)) == 0 &&
                (face->size->metrics.height + 63) / 64 <= linePixels;
    if (!sized) return nullptr;

    auto font = std::make_unique<BitmapFont>();
    for (int code = 0; code < kFontListCount; ++code) {
        if (IsControlCode(code)) continue;
        const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO)) continue;
        const FT_GlyphSlot slot = face->glyph;
        BitmapGlyph& glyph = font->glyphs[code];
        glyph.advance = static_cast<float>((slot->advance.x + 32) / 64);
        const FT_Bitmap& bitmap = slot->bitmap;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO || bitmap.width == 0 || bitmap.rows == 0)
            continue;
        glyph.width = static_cast<int>(bitmap.width);
        glyph.height = static_cast<int>(bitmap.rows);
        glyph.originX = static_cast<float>(-slot->bitmap_left);
        glyph.originY = static_cast<float>(glyph.height - slot->bitmap_top);
        const size_t rowBytes = (bitmap.width + 7) / 8;
        const size_t pitch = static_cast<size_t>(std::abs(bitmap.pitch));
        glyph.pixels.resize(rowBytes * bitmap.rows);
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            // A positive pitch stores the top row first; GL wants the bottom row first.
            const unsigned from = bitmap.pitch > 0 ? bitmap.rows - 1 - row : row;
            std::copy_n(bitmap.buffer + from * pitch, rowBytes, &glyph.pixels[row * rowBytes]);
        }
    }
    return font;
}
