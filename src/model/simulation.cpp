// One step of the layout simulation, and the release of Squash. For the step,
// positions and forces are copied into contiguous float arrays, so that the
// pair pass, quadratic in the node count, runs as a vectorised loop.
#include "simulation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "molecule.h"
#include "random.h"
#include "settings.h"

namespace {

struct Coefficients {
    float linkStrength = 0.0f;       // per unit of squared stretch
    float repulsionStrength = 0.0f;  // force times distance between any two atoms
    float stepSize = 0.0f;           // movement per unit of force, up to a force of 4
};

// The step's working copy of positions and forces, one entry per node. Kept
// between steps so that its memory is reused.
struct StepArrays {
    std::vector<float> x, y, z;     // positions
    std::vector<float> fx, fy, fz;  // forces being gathered
};

StepArrays arrays;

Coefficients CoefficientsForStep() {
    // Widened so that any Cohesion from the settings file adds without
    // overflow; for the dialog's range this equals the float product.
    const float x =
        static_cast<float>((static_cast<double>(settings.Cohesion) + 2.0) * 0.033333335f);
    Coefficients c;
    c.linkStrength = 0.01f * x;
    c.repulsionStrength = x == 0.0f ? kMaximumRepulsionStrength : 20.0f / x;
    c.stepSize = static_cast<float>(std::min(NodeCount() + 10, 100)) * 0.1f;
    return c;
}

// NaN becomes 0, infinities and huge values the limit of their sign.
inline float Bounded(float value, float limit) {
    if (value < -limit) return -limit;
    if (value > limit) return limit;
    return value == value ? value : 0.0f;
}

inline Vector3 Bounded(const Vector3& v, float limit) {
    return {Bounded(v.x, limit), Bounded(v.y, limit), Bounded(v.z, limit)};
}

// A force contribution computed in double, stored as a bounded float.
float BoundedForce(double value) {
    return static_cast<float>(std::clamp(value, -double{kForceLimit}, double{kForceLimit}));
}

float Radius(const Node& node) {
    if (!node.element || !std::isfinite(node.element->radius)) return 0.0f;
    return node.element->radius;
}

// Orders below 1 break the molecule's invariants; they count as single links
// rather than dividing by zero.
int LinkOrder(const Node& node, size_t entry) {
    if (entry >= node.linkOrders.size()) return 1;
    return std::max(node.linkOrders[entry], 1);
}

double IdealLength(const Node& p, const Node& q, int order) {
    return static_cast<double>(Radius(p)) + Radius(q) + 15.0 / order + 15.0;
}

void LoadArrays() {
    const size_t n = molecule.nodes.size();
    for (std::vector<float>* a :
         {&arrays.x, &arrays.y, &arrays.z, &arrays.fx, &arrays.fy, &arrays.fz})
        a->resize(n);
    for (size_t i = 0; i < n; ++i) {
        Node& node = molecule.nodes[i];
        node.position = Bounded(node.position, kPositionLimit);
        node.force = Bounded(node.force, kForceLimit);
        node.previousForce = Bounded(node.previousForce, kForceLimit);
        arrays.x[i] = node.position.x;
        arrays.y[i] = node.position.y;
        arrays.z[i] = node.position.z;
        arrays.fx[i] = node.force.x;
        arrays.fy[i] = node.force.y;
        arrays.fz[i] = node.force.z;
    }
}

void AddForce(int node, double x, double y, double z) {
    arrays.fx[node] = BoundedForce(arrays.fx[node] + x);
    arrays.fy[node] = BoundedForce(arrays.fy[node] + y);
    arrays.fz[node] = BoundedForce(arrays.fz[node] + z);
}

void ApplyLinkForces(const Coefficients& c) {
    const int n = NodeCount();
    for (int p = 0; p < n; ++p) {
        const Node& nodeP = molecule.nodes[p];
        for (size_t entry = 0; entry < nodeP.neighbours.size(); ++entry) {
            const int q = nodeP.neighbours[entry];
            if (!IsNodeIndex(q)) continue;
            const Node& nodeQ = molecule.nodes[q];
            if (nodeQ.id < nodeP.id) continue;  // each link once, from its lower node
            const double ux = static_cast<double>(arrays.x[q]) - arrays.x[p];
            const double uy = static_cast<double>(arrays.y[q]) - arrays.y[p];
            const double uz = static_cast<double>(arrays.z[q]) - arrays.z[p];
            const double d = std::max(std::sqrt(ux * ux + uy * uy + uz * uz), 1.0);
            const double e = IdealLength(nodeP, nodeQ, LinkOrder(nodeP, entry)) - d;
            const double f = c.linkStrength * e * std::abs(e) / d;
            AddForce(p, -f * ux, -f * uy, -f * uz);
            AddForce(q, f * ux, f * uy, f * uz);
        }
    }
}

// A unit vector spread over the sphere, fixed by the two indices, for pushing
// apart two atoms that sit at exactly the same place.
Vector3 PairDirection(int i, int j) {
    uint32_t h = static_cast<uint32_t>(i) * 0x9E3779B1u ^ static_cast<uint32_t>(j) * 0x85EBCA77u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    const float z = 1.0f - 2.0f * static_cast<float>(h & 0xFFFFu) / 65535.0f;
    const float r = std::sqrt(std::max(0.0f, 1.0f - z * z));
    const float angle = 6.2831855f * static_cast<float>(h >> 16) / 65536.0f;
    return {r * std::cos(angle), r * std::sin(angle), z};
}

// The pairs (i, j < i) whose positions are equal: as if one unit apart along
// PairDirection.
void SeparateCoincident(int i, float strength) {
    const float* x = arrays.x.data();
    const float* y = arrays.y.data();
    const float* z = arrays.z.data();
    for (int j = 0; j < i; ++j) {
        if (x[j] != x[i] || y[j] != y[i] || z[j] != z[i]) continue;
        const Vector3 u = PairDirection(i, j);
        AddForce(i, -strength * u.x, -strength * u.y, -strength * u.z);
        AddForce(j, strength * u.x, strength * u.y, strength * u.z);
    }
}

// The pushes between node i and every node before it: added to those nodes,
// and their sum returned for node i, with the number of pairs whose squared
// distance is 0. On x86-64 a copy for AVX2 is chosen at load time where the
// processor has it.
struct RowSums {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    int coincident = 0;
};

#if defined(__x86_64__)
__attribute__((target_clones("avx2", "default")))
#endif
RowSums
RepulsionRow(int i, float strength, const float* __restrict x, const float* __restrict y,
             const float* __restrict z, float* __restrict fx, float* __restrict fy,
             float* __restrict fz) {
    const float minimumSquared = kMinimumRepulsionDistance * kMinimumRepulsionDistance;
    const float xi = x[i], yi = y[i], zi = z[i];
    float sumX = 0.0f, sumY = 0.0f, sumZ = 0.0f;
    int coincident = 0;
#pragma omp simd reduction(+ : sumX, sumY, sumZ, coincident)
    for (int j = 0; j < i; ++j) {
        const float ux = x[j] - xi;
        const float uy = y[j] - yi;
        const float uz = z[j] - zi;
        const float s = ux * ux + uy * uy + uz * uz;
        coincident += s == 0.0f ? 1 : 0;
        const float g = strength / (s > minimumSquared ? s : minimumSquared);
        const float gx = g * ux, gy = g * uy, gz = g * uz;
        sumX += gx;
        sumY += gy;
        sumZ += gz;
        fx[j] += gx;
        fy[j] += gy;
        fz[j] += gz;
    }
    return {sumX, sumY, sumZ, coincident};
}

void ApplyRepulsion(const Coefficients& c) {
    const int n = NodeCount();
    for (int i = 1; i < n; ++i) {
        const RowSums sums =
            RepulsionRow(i, c.repulsionStrength, arrays.x.data(), arrays.y.data(), arrays.z.data(),
                         arrays.fx.data(), arrays.fy.data(), arrays.fz.data());
        arrays.fx[i] -= sums.x;
        arrays.fy[i] -= sums.y;
        arrays.fz[i] -= sums.z;
        if (sums.coincident > 0) SeparateCoincident(i, c.repulsionStrength);
    }
}

// Forces that fight each other across a nearly relaxed link are damped, once
// for each of the link's two meetings.
void DampLinkForces() {
    const int n = NodeCount();
    for (int p = 0; p < n; ++p) {
        const Node& nodeP = molecule.nodes[p];
        for (size_t entry = 0; entry < nodeP.neighbours.size(); ++entry) {
            const int q = nodeP.neighbours[entry];
            if (!IsNodeIndex(q)) continue;
            const double dot = static_cast<double>(arrays.fx[p]) * arrays.fx[q] +
                               static_cast<double>(arrays.fy[p]) * arrays.fy[q] +
                               static_cast<double>(arrays.fz[p]) * arrays.fz[q];
            if (!(dot < 0.0)) continue;
            const double ux = static_cast<double>(arrays.x[q]) - arrays.x[p];
            const double uy = static_cast<double>(arrays.y[q]) - arrays.y[p];
            const double uz = static_cast<double>(arrays.z[q]) - arrays.z[p];
            const double ideal = IdealLength(nodeP, molecule.nodes[q], LinkOrder(nodeP, entry));
            if (!(ideal > 0.0)) continue;
            const double ratio = std::sqrt(ux * ux + uy * uy + uz * uz) / ideal;
            if (ratio > 0.85 && ratio < 1.25) {
                for (std::vector<float>* f : {&arrays.fx, &arrays.fy, &arrays.fz}) {
                    (*f)[p] *= 0.7f;
                    (*f)[q] *= 0.7f;
                }
            }
        }
    }
}

void MoveNode(Node& node, Vector3 force, const Coefficients& c) {
    if (settings.Squash) force.z = -0.01f * node.position.z;
    const double m =
        std::sqrt(static_cast<double>(force.x) * force.x + static_cast<double>(force.y) * force.y +
                  static_cast<double>(force.z) * force.z);
    float s = m <= 4.0 ? c.stepSize : static_cast<float>(c.stepSize * 4.0 / m);
    const double turn = static_cast<double>(node.previousForce.x) * force.x +
                        static_cast<double>(node.previousForce.y) * force.y +
                        static_cast<double>(node.previousForce.z) * force.z;
    if (turn < 0.0) s *= 0.5f;
    node.position.x += s * force.x;
    node.position.y += s * force.y;
    node.position.z += s * force.z;
    node.position = Bounded(node.position, kPositionLimit);
    node.previousForce = force;
}

void MoveNodes(const Coefficients& c) {
    const int n = NodeCount();
    for (int i = 0; i < n; ++i) {
        Node& node = molecule.nodes[i];
        const Vector3 force{arrays.fx[i], arrays.fy[i], arrays.fz[i]};
        if (molecule.dragging && i == molecule.currentNode) {
            node.force = force;  // held: keeps gathering until it is let go
            continue;
        }
        MoveNode(node, force, c);
        node.force = Vector3{};
    }
}

}  // namespace

void SimulationStep() {
    const Coefficients c = CoefficientsForStep();
    LoadArrays();
    if (c.linkStrength > 0.0f) ApplyLinkForces(c);
    if (c.repulsionStrength > 0.0f) ApplyRepulsion(c);
    DampLinkForces();
    MoveNodes(c);
}

void ReleaseSquash() {
    for (Node& node : molecule.nodes) {
        const int k = static_cast<int>(RandomInteger() * (-100.0 / 32767.0));
        node.position.z = static_cast<float>(-50 - k) * 0.02f;
    }
}
