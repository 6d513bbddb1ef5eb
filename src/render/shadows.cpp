// Shadow volumes counted with the depth-pass method. The volumes have no end
// caps, so the count is right while the eye is outside every volume.
#define GL_GLEXT_PROTOTYPES 1
#include "shadows.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "camera.h"
#include "drawing.h"
#include "gl_setup.h"
#include "measurement.h"
#include "scene.h"
#include "view_state.h"

namespace {

// Far beyond the far plane from any atom in view.
constexpr float kExtrusion = 10000.0f;
constexpr int kSilhouetteSides = 16;
constexpr float kSilhouetteStep = 0.3926991f;  // pi / 8

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

// The frame's volume walls: the list keeps its storage from frame to frame,
// and the context's buffer object holds them while both counting passes
// draw them.
struct VolumeBuffer {
    std::vector<ShadowQuad> quads;
    int context = 0;       // ContextGeneration() the buffer object was made under
    bool checked = false;  // the context was asked for buffer objects
    GLuint buffer = 0;     // 0: the passes draw from the list itself
    size_t capacity = 0;   // bytes the buffer object holds
    GLsizei vertices = 0;  // vertices loaded
};
VolumeBuffer volumes;

// Buffer objects came with OpenGL 1.5.
bool ContextHasBufferObjects() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (!version || std::sscanf(version, "%d.%d", &major, &minor) != 2) return false;
    return major > 1 || minor >= 5;
}

// An eye-space point in model space, through the inverse camera transform.
Vector3 InModelSpace(const Vector3& p) {
    return TransformPoint(InverseCameraMatrix(), p);
}

// Model units per unit of distance from the eye that the widest line drawn
// reaches past its geometry (half its width and two pixels), by the frame's
// projection and viewport.
float LineSpread() {
    GLfloat projection[16];
    GLint viewport[4] = {0, 0, 0, 0};
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (!(projection[0] > 0.0f && projection[5] > 0.0f) || viewport[2] <= 0 || viewport[3] <= 0)
        return 0.0f;
    const float perPixel = std::max(2.0f / (projection[0] * static_cast<float>(viewport[2])),
                                    2.0f / (projection[5] * static_cast<float>(viewport[3])));
    return (0.5f * WidestLinePixels() + 2.0f) * perPixel;
}

}  // namespace

void DrawShadowedScene() {
    // 1. Everything in the ambient light alone.
    glEnable(GL_LIGHT1);
    glDisable(GL_LIGHT0);
    DrawScene(RenderPass::ambient);

    // 2, 3. The volumes, built afresh every frame.
    const Vector3 light = LightInModelSpace();
    std::vector<ShadowQuad>& quads = volumes.quads;
    quads.clear();
    const float reach = shadowVolumes == ShadowVolumes::endless
                            ? 0.0f
                            : ShadowReach(molecule.nodes, light, EyeInModelSpace(), LineSpread());
    for (const Node& node : molecule.nodes) BuildShadowQuads(node, light, quads, reach);
    LoadShadowQuads(quads);

    // 4. Count the volume walls in front of each surface: +1 for those facing
    // the eye, then -1 for those facing away. The operations clamp at 0 and
    // at the stencil's top.
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 1, ~0u);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    glFrontFace(GL_CCW);
    glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
    DrawShadowQuads();
    glFrontFace(GL_CW);
    glStencilOp(GL_KEEP, GL_KEEP, GL_DECR);
    DrawShadowQuads();
    glFrontFace(GL_CCW);
    glDepthMask(GL_TRUE);

    // 5. The walls are not needed again this frame.
    quads.clear();

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
    return InModelSpace(kLightPosition);
}

Vector3 EyeInModelSpace() {
    return InModelSpace({0.0f, 0.0f, 0.0f});
}

float ShadowReach(const std::vector<Node>& nodes, const Vector3& light, const Vector3& eye,
                  float lineSpread) {
    // The ball: centred on the middle of the atoms' box, out to the farthest
    // reach of what is drawn around an atom.
    Vector3 low{INFINITY, INFINITY, INFINITY}, high{-INFINITY, -INFINITY, -INFINITY};
    for (const Node& node : nodes) {
        if (!node.element) continue;
        low = {std::min(low.x, node.position.x), std::min(low.y, node.position.y),
               std::min(low.z, node.position.z)};
        high = {std::max(high.x, node.position.x), std::max(high.y, node.position.y),
                std::max(high.z, node.position.z)};
    }
    if (!(low.x <= high.x)) return 0.0f;
    const Vector3 centre = 0.5f * (low + high);
    double ball = 0.0, widest = 0.0;
    for (const Node& node : nodes) {
        if (!node.element) continue;
        ball = std::max(ball, Distance(node.position, centre) + DrawnRadius(node));
        // The volumes' cones are those of the atoms' spheres.
        widest = std::max(widest, std::fabs(double(viewState.atomScale) * node.element->radius));
    }
    // Wide lines' pixels, as far from the eye as anything drawn can be.
    const double spread = lineSpread > 0.0f ? lineSpread : 0.0;
    if (spread >= 0.5) return 0.0f;
    ball += spread * (Distance(eye, centre) + ball) / (1.0 - spread);
    const double lightToCentre = Distance(light, centre);
    const double farSide = lightToCentre + ball;
    // The light inside the ball, or the eye beyond its far side: no end.
    if (lightToCentre <= ball || Distance(eye, light) > farSide) return 0.0f;
    // The volumes widen away from the light; their ends must clear the ball
    // everywhere across them, so the reach allows for the widest cone (an
    // atom as near the light as the ball's near side).
    const double nearSide = lightToCentre - ball;
    if (widest >= nearSide) return 0.0f;
    const double cosine = std::sqrt(1.0 - (widest / nearSide) * (widest / nearSide));
    const double reach = farSide / cosine * 1.01 + 1.0;
    return std::isfinite(reach) && reach < 1e7 ? static_cast<float>(reach) : 0.0f;
}

void BuildShadowQuads(const Node& node, const Vector3& light, std::vector<ShadowQuad>& quads,
                      float reach) {
    if (!node.element) return;
    const Vector3& p = node.position;
    const float r = viewState.atomScale * node.element->radius;
    const Vector3 d = p - light;
    Vector3 u = Perpendicular(d);
    // Along a negative axis the signed pick takes the axis d runs along and
    // gives nothing; the atom would cast no shadow.
    if (IsZero(u)) u = PerpendicularByMagnitude(d);
    u = ScaleToUnitLength(u);
    const Vector3 v = ScaleToUnitLength(Cross(d, u));

    // u and v span the plane through p across the light's direction.
    // Every silhouette point lies as far from the light as the next.
    const float span = Length(p + r * v - light);
    const float extrusion =
        reach > 0.0f && span > 0.0f && reach > span ? reach / span - 1.0f : kExtrusion;
    auto extrude = [&](const Vector3& q) { return q + extrusion * (q - light); };
    Vector3 previous = p + r * v;
    Vector3 previousFar = extrude(previous);
    for (int k = 1; k <= kSilhouetteSides; ++k) {
        const float theta = static_cast<float>(k) * kSilhouetteStep;
        const Vector3 w = ScaleToUnitLength(std::cos(theta) * v + std::sin(theta) * u);
        const Vector3 next = p + r * w;
        const Vector3 nextFar = extrude(next);
        quads.push_back({{previousFar, nextFar, next, previous}});
        previous = next;
        previousFar = nextFar;
    }
}

void LoadShadowQuads(const std::vector<ShadowQuad>& quads) {
    static_assert(sizeof(ShadowQuad) == 12 * sizeof(float));
    if (volumes.context != ContextGeneration()) {
        // The buffer object went with the context that made it.
        volumes.context = ContextGeneration();
        volumes.checked = false;
        volumes.buffer = 0;
        volumes.capacity = 0;
    }
    if (!volumes.checked) {
        volumes.checked = true;
        if (ContextHasBufferObjects()) glGenBuffers(1, &volumes.buffer);
    }
    volumes.vertices = static_cast<GLsizei>(quads.size() * 4);
    if (quads.data() != volumes.quads.data()) volumes.quads = quads;
    if (!volumes.buffer) return;
    const size_t bytes = quads.size() * sizeof(ShadowQuad);
    glBindBuffer(GL_ARRAY_BUFFER, volumes.buffer);
    if (bytes > volumes.capacity) {
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_DRAW);
        volumes.capacity = bytes;
    }
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), quads.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void DrawShadowQuads() {
    if (volumes.vertices == 0) return;
    if (volumes.buffer) glBindBuffer(GL_ARRAY_BUFFER, volumes.buffer);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, volumes.buffer ? nullptr : volumes.quads.data());
    glDrawArrays(GL_QUADS, 0, volumes.vertices);
    glDisableClientState(GL_VERTEX_ARRAY);
    if (volumes.buffer) glBindBuffer(GL_ARRAY_BUFFER, 0);
}
