// Picking by ray geometry in eye space. The pick region's rays form a
// pyramid with its apex at the eye; a sphere covers part of the region when
// its centre lies within its radius of that pyramid.
#include "picking.h"

#include <cmath>
#include <limits>

#include "camera.h"
#include "molecule.h"
#include "view_state.h"

namespace {

// The rays through the pick region: its four corner directions in turn
// around the region, and the inward unit normals of the four side faces.
struct Pyramid {
    Vector3d edge[4];    // unit corner directions
    Vector3d normal[4];  // face i lies between edge i and edge i + 1
    Vector3d span[4];    // edge i x edge i + 1, to tell whether a point lies between them
};

Pyramid PickPyramid(int mouseX, int mouseY, int width, int height) {
    const Matrix4 projection = ProjectionMatrix(width, height);
    // Window coordinates of the region, y up as GL counts it.
    const double left = mouseX - 1.0, right = mouseX + 1.0;
    const double bottom = (height - mouseY) - 1.0, top = (height - mouseY) + 1.0;
    // A window point's ray in eye space runs along (ndcX / p00, ndcY / p11, -1).
    auto ray = [&](double x, double y) {
        return Vector3d{(2.0 * x / width - 1.0) / projection.m[0],
                        (2.0 * y / height - 1.0) / projection.m[5], -1.0};
    };
    const Vector3d corners[4] = {ray(left, bottom), ray(right, bottom), ray(right, top),
                                 ray(left, top)};
    const Vector3d middle = ray(mouseX, height - mouseY);
    Pyramid pyramid;
    for (int i = 0; i < 4; ++i) {
        const Vector3d& a = corners[i];
        const Vector3d& b = corners[(i + 1) % 4];
        pyramid.edge[i] = Unit(a);
        pyramid.span[i] = Cross(a, b);
        Vector3d n = Unit(pyramid.span[i]);
        if (Dot(n, middle) < 0.0) n = -1.0 * n;
        pyramid.normal[i] = n;
    }
    return pyramid;
}

// The depth (distance along -z in eye space) of the front surface of the
// sphere at centre e, radius r, inside the pyramid; NaN when the sphere does
// not reach into it. The depth is taken on the ray of the pyramid nearest to
// the centre, where the surface comes nearest to the eye.
double SurfaceDepth(const Pyramid& pyramid, const Vector3d& e, double r) {
    double side[4];
    bool inside = true;
    for (int i = 0; i < 4; ++i) {
        side[i] = Dot(e, pyramid.normal[i]);
        if (side[i] < -r) return std::numeric_limits<double>::quiet_NaN();
        if (side[i] < 0.0) inside = false;
    }
    const double centreDistance2 = Dot(e, e);
    // From inside, only the back faces of the sphere face the eye, and they
    // are culled.
    if (centreDistance2 <= r * r) return std::numeric_limits<double>::quiet_NaN();

    // The point of the pyramid nearest to the centre.
    Vector3d nearest = e;
    if (!inside) {
        double best = std::numeric_limits<double>::infinity();
        auto consider = [&](const Vector3d& point) {
            const Vector3d gap = e - point;
            const double distance2 = Dot(gap, gap);
            if (distance2 < best) {
                best = distance2;
                nearest = point;
            }
        };
        for (int i = 0; i < 4; ++i) {
            if (side[i] >= 0.0) continue;
            const Vector3d& a = pyramid.edge[i];
            const Vector3d& b = pyramid.edge[(i + 1) % 4];
            const Vector3d onFace = e - side[i] * pyramid.normal[i];
            if (Dot(Cross(a, onFace), pyramid.span[i]) >= 0.0 &&
                Dot(Cross(onFace, b), pyramid.span[i]) >= 0.0) {
                consider(onFace);
            } else {
                for (const Vector3d* ray : {&a, &b}) {
                    const double along = Dot(e, *ray);
                    consider(along > 0.0 ? along * *ray : Vector3d{0.0, 0.0, 0.0});
                }
            }
        }
        if (best > r * r) return std::numeric_limits<double>::quiet_NaN();
    }
    const Vector3d direction = Unit(nearest);
    const double along = Dot(direction, e);
    if (along <= 0.0) return std::numeric_limits<double>::quiet_NaN();
    const double discriminant = along * along - (centreDistance2 - r * r);
    const double distance = along - std::sqrt(discriminant > 0.0 ? discriminant : 0.0);
    const double depth = -distance * direction.z;
    if (!(depth >= kNearPlane && depth <= FarPlane()))
        return std::numeric_limits<double>::quiet_NaN();
    return depth;
}

}  // namespace

int PickNode(int mouseX, int mouseY, int width, int height) {
    if (width <= 0 || height <= 0) return -1;
    const Pyramid pyramid = PickPyramid(mouseX, mouseY, width, height);
    const Matrix4 camera = CameraMatrix();
    int best = -1;
    double bestDepth = std::numeric_limits<double>::infinity();
    const int count = NodeCount();
    for (int i = 0; i < count; ++i) {
        const Node& node = molecule.nodes[i];
        if (!node.element) continue;
        // The radius as drawn, in single precision.
        const float radius = viewState.atomScale * node.element->radius;
        if (!(radius > 0.0f)) continue;
        const Vector3d e = TransformPointInDouble(camera, ToDouble(node.position));
        const double depth = SurfaceDepth(pyramid, e, radius);
        if (depth < bestDepth) {
            bestDepth = depth;
            best = i;
        }
    }
    return best;
}
