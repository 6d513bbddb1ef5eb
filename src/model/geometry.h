// The program's one small kit of geometry: three-component vectors in single
// and double precision, angle conversions and 4x4 matrices as OpenGL stores
// them. Every floor may use it; it needs nothing but the standard library.
#pragma once

#include <cmath>
#include <numbers>

// ---- Angles ----

// Degrees to radians and back in double precision, multiplied before they
// are divided, as the GL matrix calls convert their angles.
constexpr double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}
constexpr double Degrees(double radians) {
    return radians * 180.0 / std::numbers::pi;
}
// The same factor in single precision, for the per-frame view maths in float.
constexpr float kDegreesToRadians = static_cast<float>(std::numbers::pi / 180.0);

// ---- Vectors ----

template <typename T>
struct Vec3 {
    bool operator==(const Vec3&) const = default;
    T x = 0;
    T y = 0;
    T z = 0;
};
// Positions, directions and offsets as the model stores and GL draws them.
using Vector3 = Vec3<float>;
// For sums that must not add rounding noise to the stored digits
// (measurements, picking).
using Vector3d = Vec3<double>;

inline Vector3d ToDouble(const Vector3& v) {
    return {v.x, v.y, v.z};
}

template <typename T>
constexpr Vec3<T> operator+(const Vec3<T>& a, const Vec3<T>& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
template <typename T>
constexpr Vec3<T> operator-(const Vec3<T>& a, const Vec3<T>& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
template <typename T>
constexpr Vec3<T> operator*(T k, const Vec3<T>& a) {
    return {k * a.x, k * a.y, k * a.z};
}
template <typename T>
constexpr T Dot(const Vec3<T>& a, const Vec3<T>& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
template <typename T>
constexpr Vec3<T> Cross(const Vec3<T>& a, const Vec3<T>& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
template <typename T>
T Length(const Vec3<T>& a) {
    return std::sqrt(Dot(a, a));
}
// a over its length; a zero vector stays as it is.
template <typename T>
Vec3<T> Unit(const Vec3<T>& a) {
    const T length = Length(a);
    return length > 0 ? (1 / length) * a : a;
}
// Scales v to unit length, except that a length of exactly 0 or exactly 1
// leaves it as it is (a division by the length, where Unit multiplies by
// its inverse in the other precision).
inline Vector3 ScaleToUnitLength(const Vector3& v) {
    const float length = Length(v);
    if (length == 0.0f || length == 1.0f) return v;
    const float inverse = 1.0f / length;
    return {v.x * inverse, v.y * inverse, v.z * inverse};
}

// ---- Matrices ----

// Column-major, as OpenGL stores matrices: element (row r, column c) is
// m[c * 4 + r]. Single precision, as GL keeps its matrices.
struct Matrix4 {
    float m[16];
};
// The same in double precision, for inverses and unprojecting.
struct Matrix4d {
    double m[16];
};

// Element (row, column) of a matrix.
inline float& At(Matrix4& matrix, int row, int column) {
    return matrix.m[column * 4 + row];
}
inline float At(const Matrix4& matrix, int row, int column) {
    return matrix.m[column * 4 + row];
}

Matrix4 IdentityMatrix();
Matrix4d ToDouble(const Matrix4& m);
// a * b, as glMultMatrixf(b) applies to a current matrix a.
Matrix4 Multiply(const Matrix4& a, const Matrix4& b);
Matrix4d Multiply(const Matrix4d& a, const Matrix4d& b);
// current * rotation, as glRotatef(degrees, x, y, z) changes the current
// matrix: the angle in radians rounded to single precision, its sine and
// cosine taken in single precision, the axis normalised unless it is a unit
// axis. So the camera built here is, bit for bit, the one GL would build.
Matrix4 Rotate(const Matrix4& current, float degrees, float x, float y, float z);
// current * translation, as glTranslatef(x, y, z).
Matrix4 Translate(const Matrix4& current, float x, float y, float z);

// m * (p, 1) without the perspective divide, in single precision.
Vector3 TransformPoint(const Matrix4& m, const Vector3& p);
// The same with the sums in double precision.
Vector3d TransformPointInDouble(const Matrix4& m, const Vector3d& p);

// The inverse of m by cofactors; false, out untouched, when m is singular.
bool Invert(const Matrix4d& m, Matrix4d& out);

// Window coordinates back to object coordinates, as gluUnProject: false when
// the combined matrix has no inverse or the viewport is empty.
bool UnProject(double winX, double winY, double winZ, const Matrix4d& modelView,
               const Matrix4d& projection, const int viewport[4], Vector3d& out);
