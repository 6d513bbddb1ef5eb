// The 4x4 matrices in the same order and with the same single-precision
// steps as the OpenGL matrix calls, and their inverse in double precision.
#include "geometry.h"

namespace {

// The rotation matrix that glRotatef builds: sine and cosine of the angle
// rounded to single precision, the axis normalised unless it is a unit axis.
Matrix4 RotationMatrix(float degrees, float x, float y, float z) {
    const float radians = static_cast<float>(Radians(degrees));
    const float s = std::sin(radians);
    const float c = std::cos(radians);
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

}  // namespace

bool Invert(const Matrix4d& matrix, Matrix4d& out) {
    const double* m = matrix.m;
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
    for (int i = 0; i < 16; ++i) out.m[i] = inv[i] / determinant;
    return true;
}

Matrix4 IdentityMatrix() {
    return Matrix4{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
}

Matrix4d ToDouble(const Matrix4& m) {
    Matrix4d d;
    for (int i = 0; i < 16; ++i) d.m[i] = m.m[i];
    return d;
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

Matrix4d Multiply(const Matrix4d& a, const Matrix4d& b) {
    Matrix4d product;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[column * 4 + k];
            product.m[column * 4 + row] = sum;
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

Vector3 TransformPoint(const Matrix4& m, const Vector3& p) {
    return {m.m[0] * p.x + m.m[4] * p.y + m.m[8] * p.z + m.m[12],
            m.m[1] * p.x + m.m[5] * p.y + m.m[9] * p.z + m.m[13],
            m.m[2] * p.x + m.m[6] * p.y + m.m[10] * p.z + m.m[14]};
}

Vector3d TransformPointInDouble(const Matrix4& m, const Vector3d& p) {
    return {m.m[0] * p.x + m.m[4] * p.y + m.m[8] * p.z + m.m[12],
            m.m[1] * p.x + m.m[5] * p.y + m.m[9] * p.z + m.m[13],
            m.m[2] * p.x + m.m[6] * p.y + m.m[10] * p.z + m.m[14]};
}

bool UnProject(double winX, double winY, double winZ, const Matrix4d& modelView,
               const Matrix4d& projection, const int viewport[4], Vector3d& out) {
    if (viewport[2] == 0 || viewport[3] == 0) return false;
    Matrix4d inverse;
    if (!Invert(Multiply(projection, modelView), inverse)) return false;
    const double in[4] = {(winX - viewport[0]) / viewport[2] * 2.0 - 1.0,
                          (winY - viewport[1]) / viewport[3] * 2.0 - 1.0, winZ * 2.0 - 1.0, 1.0};
    double result[4];
    for (int row = 0; row < 4; ++row)
        result[row] = inverse.m[row] * in[0] + inverse.m[4 + row] * in[1] +
                      inverse.m[8 + row] * in[2] + inverse.m[12 + row] * in[3];
    if (result[3] == 0.0) return false;
    out = {result[0] / result[3], result[1] / result[3], result[2] / result[3]};
    return std::isfinite(out.x) && std::isfinite(out.y) && std::isfinite(out.z);
}
