// The frame and the scene: clears, projection, lights, camera, picking, then
// the atoms with their cages and labels, the links and the clouds, plainly
// or with shadows, and the overlay.
#include "scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gl_setup.h"
#include "overlay.h"
#include "picking.h"
#include "settings.h"
#include "shadows.h"
#include "sphere_batch.h"
#include "text.h"

namespace {

// No setting the dialogs allow comes near this; it keeps a hand-edited
// DetailLevel from asking GLU for spheres too large to build.
constexpr int64_t kMaxSlices = 256;

void SetColour(const Colour& colour) {
    const Colour c = DisplayColour(colour);
    glColor4f(c.red, c.green, c.blue, c.alpha);
}

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

// The line width of links of this order; an order below 1 keeps the width
// of the links before it.
float LinkLineWidth(int order, float current) {
    if (order == 1) return kLinkWidth;
    if (order == 2) return 5.0f * kLinkWidth;
    if (order >= 3) return (static_cast<float>(order) + 5.0f) * kLinkWidth;
    return current;
}

void DrawLinks(int pass) {
    const std::vector<Node>& nodes = molecule.nodes;
    float width = kLinkWidth;
    int currentOrder = 1;
    glLineWidth(width);
    glBegin(GL_LINES);
    for (const Node& p : nodes) {
        const size_t links = std::min(p.neighbours.size(), p.linkOrders.size());
        for (size_t i = 0; i < links; ++i) {
            if (!IsNodeIndex(p.neighbours[i])) continue;
            const Node& q = nodes[p.neighbours[i]];
            // Each link is stored at both ends; it is drawn from the end with
            // the larger id.
            if (q.id > p.id) continue;
            const int order = p.linkOrders[i];
            if (order != currentOrder) {
                // The width cannot change inside a line batch.
                glEnd();
                width = LinkLineWidth(order, width);
                glLineWidth(width);
                glBegin(GL_LINES);
            }
            PassColour(settings.LinkColour, pass);
            glVertex3f(p.position.x, p.position.y, p.position.z);
            glVertex3f(q.position.x, q.position.y, q.position.z);
            currentOrder = order;
        }
    }
    glEnd();
}

// Translucent shells drawn last and without depth writes, so atoms and links
// show through them and they hide nothing drawn after them.
void DrawClouds() {
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glDisable(GL_STENCIL_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (ShaderSpheresInUse()) {
        static std::vector<SphereItem> clouds;
        clouds.clear();
        const Colour colour = DisplayColour(settings.CloudColour);
        for (const Node& node : molecule.nodes)
            if (node.cloud && node.element)
                clouds.push_back(
                    {node.position, 2.0f * viewState.atomScale * node.element->radius, colour});
        DrawSphereBatch(clouds, true);
    }
    SetColour(settings.CloudColour);
    for (const Node& node : molecule.nodes) {
        if (!node.cloud || !node.element || ShaderSpheresInUse()) continue;
        glPushMatrix();
        glTranslatef(node.position.x, node.position.y, node.position.z);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        DrawAtomSphere(2.0f * viewState.atomScale * node.element->radius, node, true);
        glPopMatrix();
    }
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

void LoadIdentityMatrices() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace

void RenderFrame(const FrameInput& input) {
    UpdateViewForFrame(input.keys);
    if (input.width <= 0 || input.height <= 0) {
        // A minimised window: nothing is visible, so nothing is under the
        // pointer, and no aspect ratio is computed.
        molecule.hoverNode = -1;
        LoadIdentityMatrices();
        return;
    }

    // Clears honour the depth write mask.
    glDepthMask(GL_TRUE);
    glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    const Colour background = DisplayColour(settings.BackgroundColour);
    glClearColor(background.red, background.green, background.blue, background.alpha);
    glClear(GL_COLOR_BUFFER_BIT);

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_STENCIL_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(input.width) / input.height, 20.0, 10000.0);
    glViewport(0, 0, input.width, input.height);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetupLights();
    ApplyCamera();

    molecule.hoverNode = input.pointerInView ? PickNode(input.mouseX, input.mouseY) : -1;

    if (settings.Shadows)
        DrawShadowedScene();
    else
        DrawScene(0);

    DrawOverlay();
}

void DrawScene(int pass) {
    const float scale = viewState.atomScale;
    // Only the spheres are lit; the lights leave lighting on, and the first
    // cage would otherwise be drawn lit.
    glDisable(GL_LIGHTING);
    glLineWidth(1.0f);
    // With the shader the atoms are gathered and drawn in one batch after
    // their cages and labels.
    const bool batched = ShaderSpheresInUse();
    static std::vector<SphereItem> atoms;
    atoms.clear();
    for (const Node& node : molecule.nodes) {
        if (!node.element) continue;
        const float radius = node.element->radius;
        const float cageRadius = (radius * 1.05f + 0.5f) * scale;
        glPushMatrix();
        glTranslatef(node.position.x, node.position.y, node.position.z);
        if (node.id == molecule.hoverNode || node.id == molecule.currentNode) {
            SetColour(node.id == molecule.currentNode ? settings.SelectColour
                                                      : settings.HighlightColour);
            DrawAtomSphere(cageRadius, node, false);
        }
        if (node.selected) {
            SetColour(settings.SelectColour);
            DrawCage(2, cageRadius);
        }
        if (batched) {
            atoms.push_back({node.position, scale * radius, DisplayColour(node.element->colour)});
        } else {
            glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
            SetColour(node.element->colour);
            DrawAtomSphere(scale * radius, node, true);
        }
        DrawAtomLabels(node, pass);
        glPopMatrix();
    }
    if (batched) DrawSphereBatch(atoms, false);
    DrawLinks(pass);
    DrawClouds();
}

void PassColour(const Colour& colour, int pass) {
    if (pass != 1 && pass != 2) {
        SetColour(colour);
        return;
    }
    const float diffuse = settings.LightDiffuse;
    const float ambient = settings.LightAmbient;
    const float total = diffuse + ambient;
    // Each pass takes its light's share. With both lights at zero there is
    // no share to take; the passes then split the colour evenly, so they
    // still add up to it.
    const float share = total != 0.0f ? (pass == 1 ? ambient : diffuse) / total : 0.5f;
    const Colour& back = settings.BackgroundColour;
    const bool invert = settings.InvertColours;
    auto channel = [&](float b, float c) {
        return invert ? b + share * (1.0f - (b + c)) : b + share * (b + c);
    };
    glColor4f(channel(back.red, colour.red), channel(back.green, colour.green),
              channel(back.blue, colour.blue), colour.alpha);
}

void DrawAtomSphere(float radius, const Node& node, bool solid) {
    const Vector3& eye = viewState.eye;
    const float dx = node.position.x - eye.x;
    const float dy = node.position.y - eye.y;
    const float dz = node.position.z - eye.z;
    const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
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

void DrawCage(int depth, float radius) {
    const float s = radius * 1.02f + 0.1f;
    glPushMatrix();
    glScalef(s, s, s);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glLineWidth(0.5f);
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
    slices = std::max<int64_t>(slices, 6);
    slices = std::min<int64_t>(slices, static_cast<int64_t>(detailLevel) + 6);
    return static_cast<int>(std::min(slices, kMaxSlices));
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

Vector3 ScaleToUnitLength(const Vector3& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0.0f || length == 1.0f) return v;
    const float inverse = 1.0f / length;
    return {v.x * inverse, v.y * inverse, v.z * inverse};
}

Colour DisplayColour(const Colour& colour) {
    if (!settings.InvertColours) return colour;
    return {1.0f - colour.red, 1.0f - colour.green, 1.0f - colour.blue, colour.alpha};
}
