// The camera and projection matrices, and fitting the eye to the molecule.
#include "camera.h"

#include <algorithm>
#include <cmath>

#include "molecule.h"
#include "view_state.h"

Matrix4 CameraMatrix() {
    const ViewState& v = viewState;
    Matrix4 m = IdentityMatrix();
    m = Rotate(m, v.viewPitch, 1.0f, 0.0f, 0.0f);
    m = Rotate(m, v.viewYaw, 0.0f, 1.0f, 0.0f);
    m = Translate(m, -v.eye.x, -v.eye.y, -v.eye.z);
    m = Rotate(m, v.modelPitch, 1.0f, 0.0f, 0.0f);
    m = Rotate(m, v.modelYaw, 0.0f, 1.0f, 0.0f);
    return m;
}

Matrix4 InverseCameraMatrix() {
    const ViewState& v = viewState;
    Matrix4 m = IdentityMatrix();
    m = Rotate(m, -v.modelYaw, 0.0f, 1.0f, 0.0f);
    m = Rotate(m, -v.modelPitch, 1.0f, 0.0f, 0.0f);
    m = Translate(m, v.eye.x, v.eye.y, v.eye.z);
    m = Rotate(m, -v.viewYaw, 0.0f, 1.0f, 0.0f);
    m = Rotate(m, -v.viewPitch, 1.0f, 0.0f, 0.0f);
    return m;
}

double FarPlane() {
    const double far = viewState.farPlane;
    return std::isfinite(far) && far > kFarPlane ? far : kFarPlane;
}

Matrix4 ProjectionMatrix(int width, int height) {
    const double aspect = static_cast<double>(width > 0 ? width : 1) / (height > 0 ? height : 1);
    const double half = Radians(kFieldOfViewDegrees / 2.0);
    const double cotangent = std::cos(half) / std::sin(half);
    const double far = FarPlane();
    const double depth = far - kNearPlane;
    Matrix4 m{};
    At(m, 0, 0) = static_cast<float>(cotangent / aspect);
    At(m, 1, 1) = static_cast<float>(cotangent);
    At(m, 2, 2) = static_cast<float>(-(far + kNearPlane) / depth);
    At(m, 3, 2) = -1.0f;
    At(m, 2, 3) = static_cast<float>(-2.0 * kNearPlane * far / depth);
    return m;
}

void FitEyeToMolecule(int width, int height) {
    if (width <= 0 || height <= 0) return;
    const Matrix4 camera = CameraMatrix();
    const Matrix4 projection = ProjectionMatrix(width, height);
    // Tangents of the half angles of the fitted share, across and up.
    const double across = kFitShare / projection.m[0];
    const double up = kFitShare / projection.m[5];
    const double acrossSlant = std::sqrt(1.0 + across * across);
    const double upSlant = std::sqrt(1.0 + up * up);
    // Moving the eye back by t along the line of sight moves every eye-space
    // point by -t along z; t is the largest any atom needs.
    double back = 0.0;
    for (const Node& node : molecule.nodes) {
        if (!node.element) continue;
        const double r = std::fabs(viewState.atomScale * node.element->radius);
        const Vector3 e = TransformPoint(camera, node.position);
        // A sphere lies inside the side planes x = +-across * depth when its
        // centre is r away from them, measured across the slanted plane.
        back = std::max(back, (std::fabs(e.x) + r * acrossSlant) / across + e.z);
        back = std::max(back, (std::fabs(e.y) + r * upSlant) / up + e.z);
        back = std::max(back, kNearPlane + r + e.z);
    }
    if (!(back > 0.0) || !std::isfinite(back)) return;
    // The line of sight in the eye's own frame, before the view turn.
    Matrix4 turn = IdentityMatrix();
    turn = Rotate(turn, -viewState.viewYaw, 0.0f, 1.0f, 0.0f);
    turn = Rotate(turn, -viewState.viewPitch, 1.0f, 0.0f, 0.0f);
    const Vector3 sight = TransformPoint(turn, {0.0f, 0.0f, -1.0f});
    viewState.eye.x -= static_cast<float>(back * sight.x);
    viewState.eye.y -= static_cast<float>(back * sight.y);
    viewState.eye.z -= static_cast<float>(back * sight.z);
}

void FitEyeToView() {
    FitEyeToMolecule(viewState.viewWidth, viewState.viewHeight);
}
