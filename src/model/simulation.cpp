// One step of the layout simulation, and the release of Squash. For the step,
// positions and forces are copied into contiguous float arrays, so that the
// pair pass, quadratic in the node count, runs as a vectorised loop. For big
// molecules that pass is cut into a fixed number of blocks of rows, each
// gathering its pushes in a force buffer of its own; the blocks run on the
// layout's thread pool (layout_thread_pool.h) and their buffers are added in
// block order, so the positions depend neither on the timing nor on the
// number of threads.
#include "simulation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "layout_thread_pool.h"
#include "molecule.h"
#include "random.h"
#include "settings.h"

namespace {

// From this many nodes on the pair pass runs in blocks on the pool; below
// it, waking another thread costs about as much as it saves.
constexpr int kThreadedPairsFrom = 1500;

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

// The pushes between node i and every node before it: added to those nodes,
// and their sum returned for node i, with the number of pairs whose squared
// distance is 0. On x86-64 copies for AVX-512 and AVX2 are chosen at load
// time where the processor has them.
struct RowSums {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    int coincident = 0;
};

#if defined(__x86_64__)
__attribute__((target_clones("avx512f", "avx2", "default")))
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

// Rows i and i + 1 against the nodes before i, in one sweep that loads and
// stores each of those nodes once. The pair (i, i + 1) is left to the caller.
struct TwoRowSums {
    RowSums first, second;
};

#if defined(__x86_64__)
__attribute__((target_clones("avx512f", "avx2", "default")))
#endif
TwoRowSums
RepulsionTwoRows(int i, float strength, const float* __restrict x, const float* __restrict y,
                 const float* __restrict z, float* __restrict fx, float* __restrict fy,
                 float* __restrict fz) {
    const float minimumSquared = kMinimumRepulsionDistance * kMinimumRepulsionDistance;
    const float ax = x[i], ay = y[i], az = z[i];
    const float bx = x[i + 1], by = y[i + 1], bz = z[i + 1];
    float sumAX = 0.0f, sumAY = 0.0f, sumAZ = 0.0f, sumBX = 0.0f, sumBY = 0.0f, sumBZ = 0.0f;
    int coincident = 0;
#pragma omp simd reduction(+ : sumAX, sumAY, sumAZ, sumBX, sumBY, sumBZ, coincident)
    for (int j = 0; j < i; ++j) {
        const float xj = x[j], yj = y[j], zj = z[j];
        const float ux = xj - ax, uy = yj - ay, uz = zj - az;
        const float vx = xj - bx, vy = yj - by, vz = zj - bz;
        const float s = ux * ux + uy * uy + uz * uz;
        const float t = vx * vx + vy * vy + vz * vz;
        coincident += (s == 0.0f ? 1 : 0) + (t == 0.0f ? 1 : 0);
        const float g = strength / (s > minimumSquared ? s : minimumSquared);
        const float h = strength / (t > minimumSquared ? t : minimumSquared);
        const float gx = g * ux, gy = g * uy, gz = g * uz;
        const float hx = h * vx, hy = h * vy, hz = h * vz;
        sumAX += gx;
        sumAY += gy;
        sumAZ += gz;
        sumBX += hx;
        sumBY += hy;
        sumBZ += hz;
        fx[j] += gx + hx;
        fy[j] += gy + hy;
        fz[j] += gz + hz;
    }
    return {{sumAX, sumAY, sumAZ, coincident}, {sumBX, sumBY, sumBZ, 0}};
}

// Where one block of rows of the pair pass gathers its pushes.
struct ForceBuffer {
    float* fx;
    float* fy;
    float* fz;
};

// The pairs (i, j < i) whose positions are equal: as if one unit apart along
// PairDirection.
void SeparateCoincident(int i, float strength, const ForceBuffer& out) {
    const float* x = arrays.x.data();
    const float* y = arrays.y.data();
    const float* z = arrays.z.data();
    auto add = [](float& to, double value) { to = BoundedForce(to + value); };
    for (int j = 0; j < i; ++j) {
        if (x[j] != x[i] || y[j] != y[i] || z[j] != z[i]) continue;
        const Vector3 u = PairDirection(i, j);
        add(out.fx[i], -static_cast<double>(strength) * u.x);
        add(out.fy[i], -static_cast<double>(strength) * u.y);
        add(out.fz[i], -static_cast<double>(strength) * u.z);
        add(out.fx[j], static_cast<double>(strength) * u.x);
        add(out.fy[j], static_cast<double>(strength) * u.y);
        add(out.fz[j], static_cast<double>(strength) * u.z);
    }
}

// The rows first to last - 1 of the pair pass, into out, two at a time.
void RepulsionRows(int first, int last, float strength, const ForceBuffer& out) {
    const float* x = arrays.x.data();
    const float* y = arrays.y.data();
    const float* z = arrays.z.data();
    const float minimumSquared = kMinimumRepulsionDistance * kMinimumRepulsionDistance;
    int i = std::max(first, 1);
    for (; i + 1 < last; i += 2) {
        const TwoRowSums sums = RepulsionTwoRows(i, strength, x, y, z, out.fx, out.fy, out.fz);
        // The pair of the two rows themselves.
        const float ux = x[i] - x[i + 1], uy = y[i] - y[i + 1], uz = z[i] - z[i + 1];
        const float s = ux * ux + uy * uy + uz * uz;
        const float g = strength / (s > minimumSquared ? s : minimumSquared);
        out.fx[i] += g * ux - sums.first.x;
        out.fy[i] += g * uy - sums.first.y;
        out.fz[i] += g * uz - sums.first.z;
        out.fx[i + 1] -= sums.second.x + g * ux;
        out.fy[i + 1] -= sums.second.y + g * uy;
        out.fz[i + 1] -= sums.second.z + g * uz;
        if (sums.first.coincident > 0 || s == 0.0f) {
            SeparateCoincident(i, strength, out);
            SeparateCoincident(i + 1, strength, out);
        }
    }
    for (; i < last; ++i) {
        const RowSums sums = RepulsionRow(i, strength, x, y, z, out.fx, out.fy, out.fz);
        out.fx[i] -= sums.x;
        out.fy[i] -= sums.y;
        out.fz[i] -= sums.z;
        if (sums.coincident > 0) SeparateCoincident(i, strength, out);
    }
}

// The pair pass of a big molecule in kPairBlocks blocks of rows of about
// equal work (row i has i pairs). Block 0 adds into the step's forces, every
// later block into a zeroed buffer of its own, which is then added to the
// forces in block order.
constexpr int kPairBlocks = 8;

struct PairPlan {
    float strength = 0.0f;
    int rowStart[kPairBlocks + 1] = {};
    std::vector<float> buffers[kPairBlocks];  // x, y and z parts, rowStart[k + 1] each
};

PairPlan plan;

ForceBuffer BlockBuffer(int block) {
    if (block == 0) return {arrays.fx.data(), arrays.fy.data(), arrays.fz.data()};
    float* base = plan.buffers[block].data();
    const size_t length = static_cast<size_t>(plan.rowStart[block + 1]);
    return {base, base + length, base + 2 * length};
}

void RunBlock(int block) {
    if (block > 0) std::fill(plan.buffers[block].begin(), plan.buffers[block].end(), 0.0f);
    RepulsionRows(plan.rowStart[block], plan.rowStart[block + 1], plan.strength,
                  BlockBuffer(block));
}

void ApplyRepulsion(const Coefficients& c) {
    const int n = NodeCount();
    if (n < kThreadedPairsFrom) {
        RepulsionRows(1, n, c.repulsionStrength,
                      {arrays.fx.data(), arrays.fy.data(), arrays.fz.data()});
        return;
    }
    // Row i costs i pairs, so the rows before r cost about r^2 / 2.
    plan.strength = c.repulsionStrength;
    for (int k = 0; k <= kPairBlocks; ++k)
        plan.rowStart[k] = static_cast<int>(std::lround(n * std::sqrt(double(k) / kPairBlocks)));
    for (int k = 1; k < kPairBlocks; ++k)
        plan.buffers[k].resize(3 * static_cast<size_t>(plan.rowStart[k + 1]));
    RunLayoutBlocks(kPairBlocks, RunBlock);
    for (int k = 1; k < kPairBlocks; ++k) {
        const ForceBuffer from = BlockBuffer(k);
        const int length = plan.rowStart[k + 1];
        for (int j = 0; j < length; ++j) {
            arrays.fx[j] += from.fx[j];
            arrays.fy[j] += from.fy[j];
            arrays.fz[j] += from.fz[j];
        }
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
