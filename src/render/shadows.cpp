// Shadow volumes counted with the depth-pass method. The volumes have no end
// caps, so the count is right while the eye is outside every volume.
#include "shadows.h"

#include <GL/gl.h>

#include <cmath>

#include "drawing.h"
#include "gl_setup.h"
#include "scene.h"
#include "view_state.h"

namespace {

// Far beyond the far plane from any atom in view.
constexpr float kExtrusion = 10000.0f;
constexpr int kSilhouetteSides = 16;
constexpr float kSilhouetteStep = 0.3926991f;  // pi / 8

Vector3 Add(const Vector3& a, const Vector3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vector3 Sub(const Vector3& a, const Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vector3 Mul(float k, const Vector3& a) {
    return {k * a.x, k * a.y, k * a.z};
}

// A vector perpendicular to d, picked by the smallest of d's components as
// signed values.
Vector3 Perpendicular(const Vector3& d) {
    if (d.x <= d.y && d.x <= d.z) return {0.0f, -d.z, d.y};
    if (d.y <= d.x && d.y <= d.z) return {-d.z, 0.0f, d.x};
    return {-d.y, d.x, 0.0f};
}

// The same by the smallest magnitude, which is zero only when d is.
Vector3 PerpendicularByMagnitude(const Vector3& d) {
    const float ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
    if (ax <= ay && ax <= az) return {0.0f, -d.z, d.y};
    if (ay <= az) return {-d.z, 0.0f, d.x};
    return {-d.y, d.x, 0.0f};
}

bool IsZero(const Vector3& v) {
    return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;
}

}  // namespace

void DrawShadowedScene() {
    // 1. Everything in the ambient light alone.
    glEnable(GL_LIGHT1);
    glDisable(GL_LIGHT0);
    DrawScene(RenderPass::ambient);

    // 2, 3. The volumes, built afresh every frame.
    const Vector3 light = LightInModelSpace();
    std::vector<ShadowQuad> quads;
    quads.reserve(molecule.nodes.size() * kSilhouetteSides);
    for (const Node& node : molecule.nodes) BuildShadowQuads(node, light, quads);

    // 4. Count the volume walls in front of each surface: +1 for those facing
    // the eye, then -1 for those facing away. The operations clamp at 0 and
    // at the stencil's top.
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 1, ~0u);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    glFrontFace(GL_CCW);
    glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
    DrawShadowQuads(quads);
    glFrontFace(GL_CW);
    glStencilOp(GL_KEEP, GL_KEEP, GL_DECR);
    DrawShadowQuads(quads);
    glFrontFace(GL_CCW);
    glDepthMask(GL_TRUE);

    // 5. The list lives for this frame only.
    quads = {};

    // 6. The direct light added where no volume covers the surface.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilFunc(GL_EQUAL, 0, ~0u);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glEnable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    DrawScene(RenderPass::direct);

    // 7.
    glDisable(GL_BLEND);
    glDisable(GL_STENCIL_TEST);
    glEnable(GL_LIGHT1);
}

Vector3 LightInModelSpace() {
    GLfloat m[16];
    glPushMatrix();
    glLoadIdentity();
    ApplyInverseCamera();
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glPopMatrix();
    const Vector3& l = kLightPosition;
    return {m[0] * l.x + m[4] * l.y + m[8] * l.z + m[12],
            m[1] * l.x + m[5] * l.y + m[9] * l.z + m[13],
            m[2] * l.x + m[6] * l.y + m[10] * l.z + m[14]};
}

void BuildShadowQuads(const Node& node, const Vector3& light, std::vector<ShadowQuad>& quads) {
    if (!node.element) return;
    const Vector3& p = node.position;
    const float r = viewState.atomScale * node.element->radius;
    const Vector3 d = Sub(p, light);
    Vector3 u = Perpendicular(d);
    // Along a negative axis the signed pick takes the axis d runs along and
    // gives nothing; the atom would cast no shadow.
    if (IsZero(u)) u = PerpendicularByMagnitude(d);
    u = ScaleToUnitLength(u);
    const Vector3 v =
        ScaleToUnitLength({d.y * u.z - d.z * u.y, d.z * u.x - d.x * u.z, d.x * u.y - d.y * u.x});

    // u and v span the plane through p across the light's direction.
    auto extrude = [&](const Vector3& q) { return Add(q, Mul(kExtrusion, Sub(q, light))); };
    Vector3 previous = Add(p, Mul(r, v));
    Vector3 previousFar = extrude(previous);
    for (int k = 1; k <= kSilhouetteSides; ++k) {
        const float theta = static_cast<float>(k) * kSilhouetteStep;
        const Vector3 w = ScaleToUnitLength(Add(Mul(std::cos(theta), v), Mul(std::sin(theta), u)));
        const Vector3 next = Add(p, Mul(r, w));
        const Vector3 nextFar = extrude(next);
        quads.push_back({{previousFar, nextFar, next, previous}});
        previous = next;
        previousFar = nextFar;
    }
}

void DrawShadowQuads(const std::vector<ShadowQuad>& quads) {
    glBegin(GL_QUADS);
    for (const ShadowQuad& quad : quads)
        for (const Vector3& c : quad.corners) glVertex3f(c.x, c.y, c.z);
    glEnd();
}
