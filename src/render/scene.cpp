// The scene: the atoms with their cages and labels, the links and the clouds.
#include "scene.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "camera.h"
#include "molecule.h"
#include "settings.h"
#include "sphere_batch.h"
#include "text.h"
#include "view_state.h"

namespace {

// The line width of links of this order; an order below 1 keeps the width
// of the links before it.
float LinkLineWidth(int order, float current) {
    if (order == 1) return kLinkWidth;
    if (order == 2) return 5.0f * kLinkWidth;
    if (order >= 3) return (static_cast<float>(order) + 5.0f) * kLinkWidth;
    return current;
}

// The links gathered by line width: each width's lines are drawn in one
// call. The lists keep their storage from frame to frame.
struct LinkBatch {
    float width = kLinkWidth;
    std::vector<Vector3> ends;  // two per line
};

void DrawLinks(RenderPass pass) {
    static std::vector<LinkBatch> batches;
    for (LinkBatch& batch : batches) batch.ends.clear();
    const std::vector<Node>& nodes = molecule.nodes;
    float width = kLinkWidth;
    int currentOrder = 1;
    for (const Node& p : nodes) {
        const size_t links = std::min(p.neighbours.size(), p.linkOrders.size());
        for (size_t i = 0; i < links; ++i) {
            if (!IsNodeIndex(p.neighbours[i])) continue;
            const Node& q = nodes[p.neighbours[i]];
            // Each link is stored at both ends; it is drawn from the end with
            // the larger id.
            if (q.id > p.id) continue;
            const int order = p.linkOrders[i];
            // A change of order sets the width; an order without a width of
            // its own keeps the one before it.
            if (order != currentOrder) width = LinkLineWidth(order, width);
            currentOrder = order;
            auto batch = std::find_if(batches.begin(), batches.end(),
                                      [&](const LinkBatch& b) { return b.width == width; });
            if (batch == batches.end()) batch = batches.insert(batches.end(), {width, {}});
            batch->ends.push_back(p.position);
            batch->ends.push_back(q.position);
        }
    }
    PassColour(settings.LinkColour, pass);
    glEnableClientState(GL_VERTEX_ARRAY);
    for (const LinkBatch& batch : batches) {
        if (batch.ends.empty()) continue;
        glLineWidth(batch.width * viewState.lineScale);
        glVertexPointer(3, GL_FLOAT, sizeof(Vector3), batch.ends.data());
        glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(batch.ends.size()));
    }
    glDisableClientState(GL_VERTEX_ARRAY);
}

// The radius of the cage or marker sphere around an atom, and of its cloud.
float CageRadius(const Element& element) {
    return (element.radius * 1.05f + 0.5f) * viewState.atomScale;
}
float CloudRadius(const Element& element) {
    return 2.0f * viewState.atomScale * element.radius;
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
                clouds.push_back({node.position, CloudRadius(*node.element), colour});
        DrawSphereBatch(clouds, true);
    }
    SetDisplayColour(settings.CloudColour);
    for (const Node& node : molecule.nodes) {
        if (!node.cloud || !node.element || ShaderSpheresInUse()) continue;
        glPushMatrix();
        glTranslatef(node.position.x, node.position.y, node.position.z);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        DrawAtomSphere(CloudRadius(*node.element), node, true);
        glPopMatrix();
    }
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

}  // namespace

float DrawnRadius(const Node& node) {
    if (!node.element) return 0.0f;
    const Element& element = *node.element;
    float reach = std::fabs(viewState.atomScale * element.radius);
    if (node.cloud) reach = std::max(reach, std::fabs(CloudRadius(element)));
    if (node.selected || node.id == molecule.hoverNode || node.id == molecule.currentNode)
        reach = std::max(reach, std::fabs(CageDrawnRadius(CageRadius(element))));
    return std::max(reach, LabelReach(node));
}

double SceneFarPlane() {
    const Matrix4 camera = CameraMatrix();
    const float* m = camera.m;
    const bool labels = viewState.labelMode == 1 || viewState.labelMode == 2;
    double farthest = 0.0, reach = 0.0;
    for (const Node& node : molecule.nodes) {
        if (!node.element) continue;
        const Vector3& p = node.position;
        farthest = std::max(farthest, -double(m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]));
        // Most atoms reach no farther than their sphere; the rest are measured.
        const bool sphereOnly = !labels && !node.cloud && !node.selected && node.charge == 0 &&
                                node.id != molecule.hoverNode && node.id != molecule.currentNode;
        reach = std::max(reach, sphereOnly
                                    ? std::fabs(double(viewState.atomScale) * node.element->radius)
                                    : double(DrawnRadius(node)));
    }
    const double far = (farthest + reach) * 1.01 + 1.0;
    return std::isfinite(far) && far > kFarPlane ? far : kFarPlane;
}

float WidestLinePixels() {
    float widest = std::max(kLinkWidth, kLabelRimWidth);
    for (const Node& node : molecule.nodes)
        for (const int order : node.linkOrders)
            widest = std::max(widest, LinkLineWidth(order, kLinkWidth));
    return widest * viewState.lineScale;
}

void DrawScene(RenderPass pass) {
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
        const float cageRadius = CageRadius(*node.element);
        glPushMatrix();
        glTranslatef(node.position.x, node.position.y, node.position.z);
        if (node.id == molecule.hoverNode || node.id == molecule.currentNode) {
            SetDisplayColour(node.id == molecule.currentNode ? settings.SelectColour
                                                             : settings.HighlightColour);
            DrawAtomSphere(cageRadius, node, false);
        }
        if (node.selected) {
            SetDisplayColour(settings.SelectColour);
            DrawCage(2, cageRadius);
        }
        if (batched) {
            atoms.push_back({node.position, scale * radius, DisplayColour(node.element->colour)});
        } else {
            glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
            SetDisplayColour(node.element->colour);
            DrawAtomSphere(scale * radius, node, true);
        }
        DrawAtomLabels(node, pass);
        glPopMatrix();
    }
    if (batched) DrawSphereBatch(atoms, false);
    DrawLinks(pass);
    DrawClouds();
}
