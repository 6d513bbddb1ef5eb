// The shared drawing helpers: colours per pass, the atom sphere tessellated
// by distance, the marker cage and unit-length scaling.
#include "drawing.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "settings.h"
#include "view_state.h"

namespace {

// No setting the dialogs allow comes near this; it keeps a hand-edited
// DetailLevel from asking GLU for spheres too large to build.
constexpr int64_t kMaxSlices = 256;

// One quadric serves every sphere; it holds no GL objects, so it outlives
// any context.
GLUquadric* Quadric() {
    static GLUquadric* const quadric = [] {
        GLUquadric* q = gluNewQuadric();
        if (q) {
            gluQuadricDrawStyle(q, GLU_FILL);
            gluQuadricNormals(q, GLU_SMOOTH);
        }
        return q;
    }();
    return quadric;
}

// trunc(value) kept within +-1e9 (NaN gives 0), so the products below fit in
// 64 bits whatever the scale, the distance or the detail level.
int64_t TruncateBounded(float value) {
    if (!(value > -1.0e9f)) return value < 0.0f ? static_cast<int64_t>(-1000000000) : 0;
    if (value > 1.0e9f) return 1000000000;
    return static_cast<int64_t>(value);
}

void Subdivide(const Vector3& u, const Vector3& v, const Vector3& w, int depth,
               std::vector<Vector3>& out) {
    if (depth <= 0) {
        out.push_back(u);
        out.push_back(v);
        out.push_back(w);
        return;
    }
    const Vector3 uv = ScaleToUnitLength({(u.x + v.x) / 2, (u.y + v.y) / 2, (u.z + v.z) / 2});
    const Vector3 vw = ScaleToUnitLength({(v.x + w.x) / 2, (v.y + w.y) / 2, (v.z + w.z) / 2});
    const Vector3 uw = ScaleToUnitLength({(u.x + w.x) / 2, (u.y + w.y) / 2, (u.z + w.z) / 2});
    // Each child keeps the parent's winding.
    Subdivide(u, uv, uw, depth - 1, out);
    Subdivide(v, vw, uv, depth - 1, out);
    Subdivide(w, uw, vw, depth - 1, out);
    Subdivide(uv, vw, uw, depth - 1, out);
}

}  // namespace

void SetDisplayColour(const Colour& colour) {
    const Colour c = DisplayColour(colour);
    glColor4f(c.red, c.green, c.blue, c.alpha);
}

void PassColour(const Colour& colour, RenderPass pass) {
    const Colour shown = DisplayColour(colour);
    if (pass == RenderPass::plain) {
        glColor4f(shown.red, shown.green, shown.blue, shown.alpha);
        return;
    }
    const float diffuse = settings.LightDiffuse;
    const float ambient = settings.LightAmbient;
    const float total = diffuse + ambient;
    // Each pass takes its light's share of the colour as shown, so the two
    // add up to it where no shadow falls, whatever the background. With both
    // lights at zero there is no share to take; the passes then split the
    // colour evenly.
    const float share =
        total != 0.0f ? (pass == RenderPass::ambient ? ambient : diffuse) / total : 0.5f;
    glColor4f(share * shown.red, share * shown.green, share * shown.blue, shown.alpha);
}

void DrawAtomSphere(float radius, const Node& node, bool solid) {
    // The distance between the eye and the position as both are stored, the
    // model's turn left out: the facets follow the molecule's own place.
    const float distance = Length(node.position - viewState.eye);
    // The element radius, not the one drawn, so a cloud is tessellated like its atom.
    const float elementRadius = node.element ? node.element->radius : 0.0f;
    const int slices =
        SphereSlices(elementRadius, viewState.atomScale, distance, settings.DetailLevel);
    if (!solid) {
        DrawCage(2, radius);
        return;
    }
    GLUquadric* quadric = Quadric();
    if (!quadric) return;
    glEnable(GL_LIGHTING);
    gluSphere(quadric, radius, slices, slices);
    glDisable(GL_LIGHTING);
}

float CageDrawnRadius(float radius) {
    return radius * 1.02f + 0.1f;
}

void DrawCage(int depth, float radius) {
    const float s = CageDrawnRadius(radius);
    glPushMatrix();
    glScalef(s, s, s);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glLineWidth(0.5f * viewState.lineScale);
    static const std::vector<Vector3> usual = CageVertices(2);
    std::vector<Vector3> other;
    if (depth != 2) other = CageVertices(depth);
    const std::vector<Vector3>& vertices = depth == 2 ? usual : other;
    glBegin(GL_TRIANGLES);
    for (const Vector3& v : vertices) glVertex3f(v.x, v.y, v.z);
    glEnd();
    glPopMatrix();
}

int SphereSlices(float elementRadius, float atomScale, float distance, int detailLevel) {
    const int64_t size = TruncateBounded(atomScale * elementRadius * 100.0f);
    const int64_t far = std::max<int64_t>(1, TruncateBounded(distance + 1.0f));
    int64_t slices = size * detailLevel / far;
    slices = std::min<int64_t>(slices, static_cast<int64_t>(detailLevel) + 6);
    slices = std::min(slices, kMaxSlices);
    // The floor comes last, so a negative DetailLevel still draws every atom.
    return static_cast<int>(std::max<int64_t>(slices, 6));
}

std::vector<Vector3> CageVertices(int depth) {
    constexpr float h = 0.70710677f;
    const Vector3 v[6] = {{0, 0, -1}, {-h, h, 0}, {h, h, 0}, {h, -h, 0}, {-h, -h, 0}, {0, 0, 1}};
    constexpr int faces[8][3] = {{1, 0, 4}, {2, 0, 1}, {3, 0, 2}, {4, 0, 3},
                                 {4, 5, 1}, {1, 5, 2}, {2, 5, 3}, {3, 5, 4}};
    std::vector<Vector3> out;
    for (const auto& face : faces) Subdivide(v[face[0]], v[face[1]], v[face[2]], depth, out);
    return out;
}

Colour DisplayColour(const Colour& colour) {
    if (!settings.InvertColours) return colour;
    return {1.0f - colour.red, 1.0f - colour.green, 1.0f - colour.blue, colour.alpha};
}
