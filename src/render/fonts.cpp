// Both fonts: faces found with fontconfig, glyphs read with FreeType, outlines
// flattened and tessellated with the GLU tessellator. The glyph shapes are
// made once per face and process; each new context compiles them into lists.
#include "fonts.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "prompts.h"

Fonts fonts;

namespace {

// Curves are flattened until no point strays further than this from the
// true outline: a tenth of a pixel for an em a hundred pixels high.
constexpr double kFlatness = 1.0 / 1000.0;
// However a hand-made font bends, no curve becomes more segments than this.
constexpr int kMaxCurveSegments = 16;

// The C0 and C1 control codes of Latin-1 have no glyph: their lists draw
// nothing and do not move the pen, so a stray tab in a name shows nothing.
bool IsControlCode(int code) {
    return code < 32 || (code >= 127 && code < 160);
}

struct Point {
    float x = 0.0f;
    float y = 0.0f;
};

struct OutlineGlyph {
    std::vector<Point> triangles;              // three per triangle, counter-clockwise from +z
    std::vector<std::vector<Point>> contours;  // flattened, each closed back to its start
    bool fillLeft = false;                     // the glyph lies left of each contour's direction
    GlyphMetrics metrics;
};

struct OutlineFont {
    std::array<OutlineGlyph, kOutlineGlyphCount> glyphs;
};

struct BitmapGlyph {
    int width = 0;                // pixels
    int height = 0;               // pixels
    float originX = 0.0f;         // pen position right of the bitmap's left edge, pixels
    float originY = 0.0f;         // pen position above the bitmap's bottom edge, pixels
    float advance = 0.0f;         // pixels
    std::vector<GLubyte> pixels;  // one bit a pixel, bottom row first, (width + 7) / 8 bytes a row
};

struct BitmapFont {
    std::array<BitmapGlyph, kFontListCount> glyphs;
};

// A FreeType library with one scalable face open, Unicode mapped where the
// face has it: for codes up to 255 Unicode and Latin-1 agree.
class OpenFace {
public:
    explicit OpenFace(const FontFace& face) {
        if (face.file.empty() || FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
            return;
        }
        if (FT_New_Face(library_, face.file.c_str(), face.index, &face_) != 0) {
            face_ = nullptr;
            return;
        }
        if (!FT_IS_SCALABLE(face_) || face_->units_per_EM == 0) {
            FT_Done_Face(face_);
            face_ = nullptr;
            return;
        }
        FT_Select_Charmap(face_, FT_ENCODING_UNICODE);
    }
    ~OpenFace() {
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }
    OpenFace(const OpenFace&) = delete;
    OpenFace& operator=(const OpenFace&) = delete;
    FT_Face face() const { return face_; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

// ---- Outlines: flattening ----

struct Flattener {
    double unitsPerEm = 1.0;
    std::vector<std::vector<Point>> contours;
    double lastX = 0.0, lastY = 0.0;  // font units

    void Add(double x, double y) {
        lastX = x;
        lastY = y;
        const Point p{static_cast<float>(x / unitsPerEm), static_cast<float>(y / unitsPerEm)};
        std::vector<Point>& contour = contours.back();
        if (contour.empty() || contour.back().x != p.x || contour.back().y != p.y)
            contour.push_back(p);
    }
    // Uniform steps whose error, bounded by the curve's bend over the square
    // of the count, stays within the flatness.
    int Segments(double bend) const {
        const double tolerance = kFlatness * unitsPerEm;
        if (!(bend > tolerance)) return 1;
        return std::min(kMaxCurveSegments,
                        static_cast<int>(std::ceil(std::sqrt(bend / tolerance))));
    }
};

int MoveTo(const FT_Vector* to, void* user) {
    Flattener& f = *static_cast<Flattener*>(user);
    f.contours.emplace_back();
    f.Add(to->x, to->y);
    return 0;
}

int LineTo(const FT_Vector* to, void* user) {
    Flattener& f = *static_cast<Flattener*>(user);
    if (!f.contours.empty()) f.Add(to->x, to->y);
    return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    Flattener& f = *static_cast<Flattener*>(user);
    if (f.contours.empty()) return 0;
    const double x0 = f.lastX, y0 = f.lastY;
    const double x1 = control->x, y1 = control->y, x2 = to->x, y2 = to->y;
    const double bend = std::hypot(x0 - 2 * x1 + x2, y0 - 2 * y1 + y2) / 4.0;
    const int n = f.Segments(bend);
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n, s = 1.0 - t;
        f.Add(s * s * x0 + 2 * s * t * x1 + t * t * x2, s * s * y0 + 2 * s * t * y1 + t * t * y2);
    }
    return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    Flattener& f = *static_cast<Flattener*>(user);
    if (f.contours.empty()) return 0;
    const double x0 = f.lastX, y0 = f.lastY;
    const double x1 = c1->x, y1 = c1->y, x2 = c2->x, y2 = c2->y, x3 = to->x, y3 = to->y;
    const double bend = 0.75 * std::max(std::hypot(x0 - 2 * x1 + x2, y0 - 2 * y1 + y2),
                                        std::hypot(x1 - 2 * x2 + x3, y1 - 2 * y2 + y3));
    const int n = f.Segments(bend);
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n, s = 1.0 - t;
        const double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
        f.Add(a * x0 + b * x1 + c * x2 + d * x3, a * y0 + b * y1 + c * y2 + d * y3);
    }
    return 0;
}

// ---- Outlines: tessellation ----

struct Tessellation {
    std::vector<Point>* triangles = nullptr;
    std::deque<std::array<GLdouble, 3>> points;  // every vertex handed to GLU; addresses stay put
    bool failed = false;
};

// With an edge-flag callback the tessellator hands over separate triangles only.
void GLAPIENTRY TessBegin(GLenum, void*) {}
void GLAPIENTRY TessEnd(void*) {}
void GLAPIENTRY TessEdgeFlag(GLboolean, void*) {}

void GLAPIENTRY TessVertex(void* vertex, void* data) {
    const GLdouble* v = static_cast<const GLdouble*>(vertex);
    static_cast<Tessellation*>(data)->triangles->push_back(
        {static_cast<float>(v[0]), static_cast<float>(v[1])});
}

// Where outlines cross (overlapping parts of a glyph) a new vertex is made.
void GLAPIENTRY TessCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* data) {
    Tessellation& t = *static_cast<Tessellation*>(data);
    t.points.push_back({coords[0], coords[1], 0.0});
    *out = t.points.back().data();
}

void GLAPIENTRY TessError(GLenum, void* data) {
    static_cast<Tessellation*>(data)->failed = true;
}

template <typename F>
_GLUfuncptr Callback(F* function) {
    return reinterpret_cast<_GLUfuncptr>(function);
}

// Fills the glyph's inside, holes left open: TrueType marks an inside by a
// non-zero winding, so overlapping parts fill once.
void Tessellate(GLUtesselator* tess, OutlineGlyph& glyph) {
    Tessellation t;
    t.triangles = &glyph.triangles;
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessNormal(tess, 0.0, 0.0, 1.0);
    gluTessBeginPolygon(tess, &t);
    for (const std::vector<Point>& contour : glyph.contours) {
        gluTessBeginContour(tess);
        for (const Point& p : contour) {
            t.points.push_back({p.x, p.y, 0.0});
            gluTessVertex(tess, t.points.back().data(), t.points.back().data());
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    if (t.failed || glyph.triangles.size() % 3 != 0) {
        glyph.triangles.clear();
        glyph.contours.clear();
        return;
    }
    // Every face counter-clockwise from positive z, whatever order GLU chose.
    for (size_t i = 0; i < glyph.triangles.size(); i += 3) {
        const Point& a = glyph.triangles[i];
        const Point& b = glyph.triangles[i + 1];
        const Point& c = glyph.triangles[i + 2];
        if ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) < 0.0f)
            std::swap(glyph.triangles[i + 1], glyph.triangles[i + 2]);
    }
}

std::unique_ptr<OutlineFont> BuildOutlineFont(FT_Face face, int /*size: one for all*/) {
    GLUtesselator* tess = gluNewTess();
    if (!tess) return nullptr;
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, Callback(TessBegin));
    gluTessCallback(tess, GLU_TESS_END_DATA, Callback(TessEnd));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, Callback(TessEdgeFlag));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, Callback(TessVertex));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, Callback(TessCombine));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, Callback(TessError));

    auto font = std::make_unique<OutlineFont>();
    const double em = face->units_per_EM;
    FT_Outline_Funcs funcs{};
    funcs.move_to = MoveTo;
    funcs.line_to = LineTo;
    funcs.conic_to = ConicTo;
    funcs.cubic_to = CubicTo;
    for (int code = 0; code < kOutlineGlyphCount; ++code) {
        if (IsControlCode(code)) continue;
        const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
        // Unscaled and unhinted: the shape in font units, divided by the em.
        if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP))
            continue;
        const FT_GlyphSlot slot = face->glyph;
        OutlineGlyph& glyph = font->glyphs[code];
        const FT_Glyph_Metrics& m = slot->metrics;
        glyph.metrics = {
            static_cast<float>(m.width / em),        static_cast<float>(m.height / em),
            static_cast<float>(m.horiBearingX / em), static_cast<float>(m.horiBearingY / em),
            static_cast<float>(m.horiAdvance / em),  0.0f};
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE) continue;
        Flattener flattener;
        flattener.unitsPerEm = em;
        if (FT_Outline_Decompose(&slot->outline, &funcs, &flattener) != 0) continue;
        for (std::vector<Point>& contour : flattener.contours) {
            if (contour.size() > 1 && contour.front().x == contour.back().x &&
                contour.front().y == contour.back().y)
                contour.pop_back();
            if (contour.size() >= 3) glyph.contours.push_back(std::move(contour));
        }
        glyph.fillLeft = FT_Outline_Get_Orientation(&slot->outline) == FT_ORIENTATION_POSTSCRIPT;
        Tessellate(tess, glyph);
    }
    gluDeleteTess(tess);
    return font;
}

// ---- Bitmaps ----

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

// ---- Per-process caches of the glyph shapes ----

// The face and, for bitmaps, the line height in pixels.
using FaceKey = std::tuple<std::string, int, int>;

template <typename Font>
const Font* CachedFont(const FontFace& face, std::unique_ptr<Font> (*build)(FT_Face, int),
                       int size) {
    static std::map<FaceKey, std::unique_ptr<Font>> cache;
    const FaceKey key{face.file, face.index, size};
    if (const auto found = cache.find(key); found != cache.end()) return found->second.get();
    const OpenFace open(face);
    if (!open.face()) return nullptr;
    std::unique_ptr<Font> font = build(open.face(), size);
    if (!font) return nullptr;
    return cache.emplace(key, std::move(font)).first->second.get();
}

// ---- Display lists ----

void CompileOutlineGlyph(const OutlineGlyph& glyph) {
    const std::vector<Point>& t = glyph.triangles;
    if (!t.empty()) {
        glBegin(GL_TRIANGLES);
        glNormal3f(0.0f, 0.0f, 1.0f);
        for (const Point& p : t) glVertex3f(p.x, p.y, 0.0f);
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
        for (const std::vector<Point>& contour : glyph.contours) {
            for (size_t i = 0; i < contour.size(); ++i) {
                Point a = contour[i];
                Point b = contour[(i + 1) % contour.size()];
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

FontFace DefaultSansFace(bool bold) {
    static std::optional<FontFace> found[2];
    std::optional<FontFace>& cached = found[bold ? 1 : 0];
    if (cached) return *cached;
    FontFace face;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    if (pattern) {
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
            FcChar8* file = nullptr;
            int index = 0;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
                face.file = reinterpret_cast<const char*>(file);
                if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch)
                    face.index = index;
            }
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    cached = face;
    return face;
}

bool SetupBitmapFont(const FontFace& face) {
    fonts.bitmapBase = glGenLists(kFontListCount);
    fonts.bitmapLinePixels = kBitmapLinePixels;
    const BitmapFont* font =
        fonts.bitmapBase ? CachedFont(face, BuildBitmapFont, kBitmapLinePixels) : nullptr;
    bitmapFace = font ? face : FontFace{};
    if (!font) {
        ShowMessage("Error - could not setup font bitmaps", "Error!");
        return false;
    }
    CompileBitmapFont(*font);
    return true;
}

void ScaleBitmapFont(int linePixels) {
    if (linePixels == fonts.bitmapLinePixels || bitmapFace.file.empty()) return;
    fonts.bitmapLinePixels = linePixels;  // asked once, whether the face can or not
    if (const BitmapFont* font = CachedFont(bitmapFace, BuildBitmapFont, linePixels))
        CompileBitmapFont(*font);
}

bool SetupOutlineFont(const FontFace& face) {
    fonts.outlineBase = glGenLists(kFontListCount);
    fonts.glyphMetrics = {};
    const OutlineFont* font = fonts.outlineBase ? CachedFont(face, BuildOutlineFont, 0) : nullptr;
    if (!font) {
        ShowMessage("Error - could not setup font outlines", "Error!");
        return false;
    }
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
    return true;
}
