// Dragging and centring. Between frames the graphics library's projection
// matrix holds the identity (the overlay loads it last), so mouse positions
// are unprojected with the camera and an identity projection.
#include "dragging.h"

#include <cmath>
#include <limits>

#include "camera.h"
#include "molecule.h"
#include "settings.h"
#include "simulation.h"
#include "view_state.h"

namespace {

// Stores a model coordinate computed in double within the simulation's
// bounds, so a far eye or a wild centre never leaves an infinity behind.
float ToPosition(double value) {
    const double limit = kPositionLimit;
    if (std::isnan(value)) return 0.0f;
    return static_cast<float>(value < -limit ? -limit : (value > limit ? limit : value));
}

bool FitsInFloat(const double v[3]) {
    const double most = std::numeric_limits<float>::max();
    for (int i = 0; i < 3; ++i)
        if (!(std::abs(v[i]) <= most)) return false;
    return true;
}

// The mass-weighted centre, or the plain centre of the positions when the
// masses add up to zero (or give a centre beyond the float range).
void CentrePoint(double centre[3]) {
    double weighted[3] = {0.0, 0.0, 0.0}, plain[3] = {0.0, 0.0, 0.0};
    double totalMass = 0.0;
    for (const Node& node : molecule.nodes) {
        const double w = node.element ? node.element->mass : 0.0;
        const double p[3] = {node.position.x, node.position.y, node.position.z};
        for (int i = 0; i < 3; ++i) {
            weighted[i] += w * p[i];
            plain[i] += p[i];
        }
        totalMass += w;
    }
    if (totalMass != 0.0) {
        const double r = 1.0 / totalMass;
        for (int i = 0; i < 3; ++i) centre[i] = r * weighted[i];
        if (FitsInFloat(centre)) return;
    }
    const double r = 1.0 / NodeCount();
    for (int i = 0; i < 3; ++i) centre[i] = r * plain[i];
}

}  // namespace

void DragNode(int index, int lastX, int lastY, float dx, float dy) {
    if (!IsNodeIndex(index)) return;
    const Matrix4d modelView = ToDouble(CameraMatrix());
    const Matrix4d identity = ToDouble(IdentityMatrix());
    const int viewport[4] = {0, 0, settings.WindowWidth, settings.WindowHeight};
    Vector3d p0, p1;
    // The mouse y is used as it comes, downwards; the movement's y is turned
    // over so that moving the mouse down moves the atom down.
    if (!UnProject(lastX, lastY, 0.0, modelView, identity, viewport, p0)) return;
    if (!UnProject(lastX + static_cast<double>(dx), lastY - static_cast<double>(dy), 0.0, modelView,
                   identity, viewport, p1))
        return;
    Vector3& position = molecule.nodes[index].position;
    const Vector3d current = ToDouble(position);
    const double s = 0.5 * std::hypot(p0.x - current.x, p0.y - current.y, p0.z - current.z);
    position.x = ToPosition(current.x + s * (p1.x - p0.x));
    position.y = ToPosition(current.y + s * (p1.y - p0.y));
    position.z = ToPosition(current.z + s * (p1.z - p0.z));
}

void CentreMolecule() {
    ResetCamera();
    if (NodeCount() == 0) return;
    double centre[3];
    if (IsNodeIndex(molecule.currentNode)) {
        const Vector3& p = molecule.nodes[molecule.currentNode].position;
        centre[0] = p.x;
        centre[1] = p.y;
        centre[2] = p.z;
    } else {
        CentrePoint(centre);
    }
    for (Node& node : molecule.nodes) {
        node.position.x = ToPosition(node.position.x - centre[0]);
        node.position.y = ToPosition(node.position.y - centre[1]);
        node.position.z = ToPosition(node.position.z - centre[2]);
    }
}
