// 4x4 matrices for the camera and the unproject of mouse positions.
#include "camera.h"

#include <algorithm>
#include <cmath>

#include "molecule.h"
#include "view_state.h"

namespace {

float& At(Matrix4& matrix, int row, int column) {
    return matrix.m[column * 4 + row];
}
float At(const Matrix4& matrix, int row, int column) {
    return matrix.m[column * 4 + row];
}

// The rotation matrix that glRotatef builds: sine and cosine computed in
// double precision and rounded, the axis normalised unless it is a unit axis.
Matrix4 RotationMatrix(float degrees, float x, float y, float z) {
    const double radians = degrees * M_PI / 180.0;
    const float s = static_cast<float>(std::sin(radians));
    const float c = static_cast<float>(std::cos(radians));
    Matrix4 r = IdentityMatrix();
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        const float sz = z < 0.0f ? -s : s;
        At(r, 0, 0) = c;
        At(r, 1, 1) = c;
        At(r, 0, 1) = -sz;
        At(r, 1, 0) = sz;
        return r;
    }
    if (x == 0.0f && y != 0.0f && z == 0.0f) {
        const float sy = y < 0.0f ? -s : s;
        At(r, 0, 0) = c;
        At(r, 2, 2) = c;
        At(r, 0, 2) = sy;
        At(r, 2, 0) = -sy;
        return r;
    }
    if (x != 0.0f && y == 0.0f && z == 0.0f) {
        const float sx = x < 0.0f ? -s : s;
        At(r, 1, 1) = c;
        At(r, 2, 2) = c;
        At(r, 1, 2) = -sx;
        At(r, 2, 1) = sx;
        return r;
    }
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length <= 1.0e-4f) return r;
    x /= length;
    y /= length;
    z /= length;
    const float xx = x * x, yy = y * y, zz = z * z;
    const float xy = x * y, yz = y * z, zx = z * x;
    const float xs = x * s, ys = y * s, zs = z * s;
    const float oneC = 1.0f - c;
    At(r, 0, 0) = (oneC * xx) + c;
    At(r, 0, 1) = (oneC * xy) - zs;
    At(r, 0, 2) = (oneC * zx) + ys;
    At(r, 1, 0) = (oneC * xy) + zs;
    At(r, 1, 1) = (oneC * yy) + c;
    At(r, 1, 2) = (oneC * yz) - xs;
    At(r, 2, 0) = (oneC * zx) - ys;
    At(r, 2, 1) = (oneC * yz) + xs;
    At(r, 2, 2) = (oneC * zz) + c;
    return r;
}

// a * b for column-major doubles.
void MultiplyDoubles(const double a[16], const double b[16], double out[16]) {
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[column * 4 + k];
            out[column * 4 + row] = sum;
        }
}

// Inverse of a 4x4 by cofactors; false when singular.
bool InvertDoubles(const double m[16], double out[16]) {
    double inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] +
             m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
             m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] +
             m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
              m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
             m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] +
             m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] -
             m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] +
              m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] -
             m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] +
              m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] -
              m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] -
             m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    const double determinant = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (determinant == 0.0 || !std::isfinite(determinant)) return false;
    for (int i = 0; i < 16; ++i) out[i] = inv[i] / determinant;
    return true;
}

}  // namespace

Matrix4 IdentityMatrix() {
    return Matrix4{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
}

Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 product;
    for (int row = 0; row < 4; ++row) {
        const float a0 = At(a, row, 0), a1 = At(a, row, 1), a2 = At(a, row, 2), a3 = At(a, row, 3);
        for (int column = 0; column < 4; ++column)
            At(product, row, column) = a0 * At(b, 0, column) + a1 * At(b, 1, column) +
                                       a2 * At(b, 2, column) + a3 * At(b, 3, column);
    }
    return product;
}

Matrix4 Rotate(const Matrix4& current, float degrees, float x, float y, float z) {
    return Multiply(current, RotationMatrix(degrees, x, y, z));
}

Matrix4 Translate(const Matrix4& current, float x, float y, float z) {
    Matrix4 moved = current;
    for (int row = 0; row < 4; ++row)
        At(moved, row, 3) = At(current, row, 0) * x + At(current, row, 1) * y +
                            At(current, row, 2) * z + At(current, row, 3);
    return moved;
}

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
    const double half = kFieldOfViewDegrees / 2.0 * M_PI / 180.0;
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

Vector3 TransformPoint(const Matrix4& m, const Vector3& p) {
    return {m.m[0] * p.x + m.m[4] * p.y + m.m[8] * p.z + m.m[12],
            m.m[1] * p.x + m.m[5] * p.y + m.m[9] * p.z + m.m[13],
            m.m[2] * p.x + m.m[6] * p.y + m.m[10] * p.z + m.m[14]};
}

bool UnProject(double winX, double winY, double winZ, const double modelView[16],
               const double projection[16], const int viewport[4], double out[3]) {
    if (viewport[2] == 0 || viewport[3] == 0) return false;
    double combined[16], inverse[16];
    MultiplyDoubles(projection, modelView, combined);
    if (!InvertDoubles(combined, inverse)) return false;
    const double in[4] = {(winX - viewport[0]) / viewport[2] * 2.0 - 1.0,
                          (winY - viewport[1]) / viewport[3] * 2.0 - 1.0, winZ * 2.0 - 1.0, 1.0};
    double result[4];
    for (int row = 0; row < 4; ++row)
        result[row] = inverse[row] * in[0] + inverse[4 + row] * in[1] + inverse[8 + row] * in[2] +
                      inverse[12 + row] * in[3];
    if (result[3] == 0.0) return false;
    for (int i = 0; i < 3; ++i) out[i] = result[i] / result[3];
    return std::isfinite(out[0]) && std::isfinite(out[1]) && std::isfinite(out[2]);
}
