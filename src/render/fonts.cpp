// Both fonts as display lists on the current context, compiled from the
// glyph shapes (glyph_outlines.h, glyph_bitmaps.h) that are made once per
// face and process.
#include "fonts.h"

#include <GL/gl.h>

#include <utility>
#include <vector>

#include "glyph_bitmaps.h"
#include "glyph_outlines.h"
#include "open_face.h"

Fonts fonts;

namespace {

void CompileOutlineGlyph(const OutlineGlyph& glyph) {
    const std::vector<GlyphPoint>& t = glyph.triangles;
    if (!t.empty()) {
        glBegin(GL_TRIANGLES);
        glNormal3f(0.0f, 0.0f, 1.0f);
        for (const GlyphPoint& p : t) glVertex3f(p.x, p.y, 0.0f);
        // The back face is seen from negative z, so its triangles turn the other way.
        glNormal3f(0.0f, 0.0f, -1.0f);
        for (size_t i = 0; i < t.size(); i += 3) {
            glVertex3f(t[i].x, t[i].y, -kOutlineDepth);
            glVertex3f(t[i + 2].x, t[i + 2].y, -kOutlineDepth);
            glVertex3f(t[i + 1].x, t[i + 1].y, -kOutlineDepth);
        }
        glEnd();
    }
    if (!glyph.contours.empty()) {
        // Side walls, counter-clockwise seen from outside the glyph.
        glBegin(GL_QUADS);
        for (const std::vector<GlyphPoint>& contour : glyph.contours) {
            for (size_t i = 0; i < contour.size(); ++i) {
                GlyphPoint a = contour[i];
                GlyphPoint b = contour[(i + 1) % contour.size()];
                if (glyph.fillLeft) std::swap(a, b);
                // Now the glyph lies right of a -> b, and the outside left of it.
                glNormal3f(a.y - b.y, b.x - a.x, 0.0f);
                glVertex3f(a.x, a.y, 0.0f);
                glVertex3f(b.x, b.y, 0.0f);
                glVertex3f(b.x, b.y, -kOutlineDepth);
                glVertex3f(a.x, a.y, -kOutlineDepth);
            }
        }
        glEnd();
    }
    glTranslatef(glyph.metrics.cellIncX, 0.0f, 0.0f);
}

// The face the bitmap lists were made from; no file when that failed.
FontFace bitmapFace;

void CompileBitmapGlyph(const BitmapGlyph& glyph) {
    // Mesa takes a glyph without pixels for a failed copy when it is given
    // no pixel data, so an empty one gets a byte it never reads.
    static const GLubyte none = 0;
    glBitmap(glyph.width, glyph.height, glyph.originX, glyph.originY, glyph.advance, 0.0f,
             glyph.pixels.empty() ? &none : glyph.pixels.data());
}

void CompileBitmapFont(const BitmapFont& font) {
    // The rows are copied as the lists are made, packed a byte apart.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int code = 0; code < kFontListCount; ++code) {
        glNewList(fonts.bitmapBase + code, GL_COMPILE);
        CompileBitmapGlyph(font.glyphs[code]);
        glEndList();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

}  // namespace

std::optional<Notice> SetupBitmapFont(const FontFace& face) {
    fonts.bitmapBase = glGenLists(kFontListCount);
    fonts.bitmapLinePixels = kBitmapLinePixels;
    const BitmapFont* font =
        fonts.bitmapBase ? CachedFont(face, BuildBitmapFont, kBitmapLinePixels) : nullptr;
    bitmapFace = font ? face : FontFace{};
    if (!font) return Notice{"Error - could not setup font bitmaps", "Error!"};
    CompileBitmapFont(*font);
    return std::nullopt;
}

void ScaleBitmapFont(int linePixels) {
    if (linePixels == fonts.bitmapLinePixels || bitmapFace.file.empty()) return;
    fonts.bitmapLinePixels = linePixels;  // asked once, whether the face can or not
    if (const BitmapFont* font = CachedFont(bitmapFace, BuildBitmapFont, linePixels))
        CompileBitmapFont(*font);
}

std::optional<Notice> SetupOutlineFont(const FontFace& face) {
    fonts.outlineBase = glGenLists(kFontListCount);
    fonts.glyphMetrics = {};
    const OutlineFont* font = fonts.outlineBase ? CachedFont(face, BuildOutlineFont, 0) : nullptr;
    if (!font) return Notice{"Error - could not setup font outlines", "Error!"};
    for (int code = 0; code < kOutlineGlyphCount; ++code) {
        const OutlineGlyph& glyph = font->glyphs[code];
        fonts.glyphMetrics[code] = glyph.metrics;
        glNewList(fonts.outlineBase + code, GL_COMPILE);
        CompileOutlineGlyph(glyph);
        glEndList();
    }
    // The last code's list is reserved and stays empty.
    glNewList(fonts.outlineBase + kOutlineGlyphCount, GL_COMPILE);
    glEndList();
    return std::nullopt;
}
