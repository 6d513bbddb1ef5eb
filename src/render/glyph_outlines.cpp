// Outline glyphs: FreeType's outlines flattened, then tessellated with the
// GLU tessellator.
#include "glyph_outlines.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <deque>
#include <utility>

#include "open_face.h"

namespace {

// Curves are flattened until no point strays further than this from the
// true outline: a tenth of a pixel for an em a hundred pixels high.
constexpr double kFlatness = 1.0 / 1000.0;
// However a hand-made font bends, no curve becomes more segments than this.
constexpr int kMaxCurveSegments = 16;

// ---- Outlines: flattening ----

struct Flattener {
    double unitsPerEm = 1.0;
    std::vector<std::vector<GlyphPoint>> contours;
    double lastX = 0.0, lastY = 0.0;  // font units

    void Add(double x, double y) {
        lastX = x;
        lastY = y;
        const GlyphPoint p{static_cast<float>(x / unitsPerEm), static_cast<float>(y / unitsPerEm)};
        std::vector<GlyphPoint>& contour = contours.back();
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
    std::vector<GlyphPoint>* triangles = nullptr;
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
    for (const std::vector<GlyphPoint>& contour : glyph.contours) {
        gluTessBeginContour(tess);
        for (const GlyphPoint& p : contour) {
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
        const GlyphPoint& a = glyph.triangles[i];
        const GlyphPoint& b = glyph.triangles[i + 1];
        const GlyphPoint& c = glyph.triangles[i + 2];
        if ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) < 0.0f)
            std::swap(glyph.triangles[i + 1], glyph.triangles[i + 2]);
    }
}

}  // namespace

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
        for (std::vector<GlyphPoint>& contour : flattener.contours) {
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
