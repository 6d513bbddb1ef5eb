// The plain layout step. Nothing here is tuned: it is the yardstick.
#include "reference_step.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

struct ReferenceCoefficients {
    float linkStrength;
    float repulsionStrength;
    float stepSize;
};

float Length(float x, float y, float z) {
    return std::sqrt(x * x + y * y + z * z);
}

float IdealLength(const Node& p, const Node& q, int order) {
    return p.element->radius + q.element->radius + 15.0f / static_cast<float>(order) + 15.0f;
}

void ApplyLinkForces(std::vector<Node>& nodes, const ReferenceCoefficients& c) {
    for (Node& p : nodes) {
        for (size_t i = 0; i < p.neighbours.size(); ++i) {
            Node& q = nodes[p.neighbours[i]];
            if (q.id < p.id) continue;
            const float ux = q.position.x - p.position.x;
            const float uy = q.position.y - p.position.y;
            const float uz = q.position.z - p.position.z;
            float d = Length(ux, uy, uz);
            if (d < 1.0f) d = 1.0f;
            const float e = IdealLength(p, q, p.linkOrders[i]) - d;
            const float f = c.linkStrength * e * std::fabs(e) / d;
            p.force.x -= f * ux;
            p.force.y -= f * uy;
            p.force.z -= f * uz;
            q.force.x += f * ux;
            q.force.y += f * uy;
            q.force.z += f * uz;
        }
    }
}

void ApplyRepulsion(std::vector<Node>& nodes, const ReferenceCoefficients& c) {
    for (size_t i = 0; i < nodes.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            const float ux = nodes[j].position.x - nodes[i].position.x;
            const float uy = nodes[j].position.y - nodes[i].position.y;
            const float uz = nodes[j].position.z - nodes[i].position.z;
            const float s = ux * ux + uy * uy + uz * uz;
            const float g = c.repulsionStrength / s;
            nodes[i].force.x -= g * ux;
            nodes[i].force.y -= g * uy;
            nodes[i].force.z -= g * uz;
            nodes[j].force.x += g * ux;
            nodes[j].force.y += g * uy;
            nodes[j].force.z += g * uz;
        }
    }
}

void DampLinkForces(std::vector<Node>& nodes) {
    for (Node& p : nodes) {
        for (size_t i = 0; i < p.neighbours.size(); ++i) {
            Node& q = nodes[p.neighbours[i]];
            const float dot = p.force.x * q.force.x + p.force.y * q.force.y + p.force.z * q.force.z;
            if (!(dot < 0.0f)) continue;
            const float distance = Length(q.position.x - p.position.x, q.position.y - p.position.y,
                                          q.position.z - p.position.z);
            const float ratio = distance / IdealLength(p, q, p.linkOrders[i]);
            if (ratio > 0.85f && ratio < 1.25f) {
                p.force.x *= 0.7f;
                p.force.y *= 0.7f;
                p.force.z *= 0.7f;
                q.force.x *= 0.7f;
                q.force.y *= 0.7f;
                q.force.z *= 0.7f;
            }
        }
    }
}

void MoveNode(Node& n, const ReferenceCoefficients& c, bool squash) {
    if (squash) n.force.z = -0.01f * n.position.z;
    const float m = Length(n.force.x, n.force.y, n.force.z);
    float s = m <= 4.0f ? c.stepSize : c.stepSize * 4.0f / m;
    const float turn = n.previousForce.x * n.force.x + n.previousForce.y * n.force.y +
                       n.previousForce.z * n.force.z;
    if (turn < 0.0f) s *= 0.5f;
    n.position.x += s * n.force.x;
    n.position.y += s * n.force.y;
    n.position.z += s * n.force.z;
    n.previousForce = n.force;
}

}  // namespace

void ReferenceSimulationStep(std::vector<Node>& nodes, const ReferenceConditions& conditions) {
    const float x = static_cast<float>(conditions.cohesion + 2) * 0.033333335f;
    ReferenceCoefficients c;
    c.linkStrength = 0.01f * x;
    c.repulsionStrength = 20.0f / x;
    c.stepSize = static_cast<float>(std::min(static_cast<int>(nodes.size()) + 10, 100)) * 0.1f;

    if (c.linkStrength > 0.0f) ApplyLinkForces(nodes, c);
    if (c.repulsionStrength > 0.0f) ApplyRepulsion(nodes, c);
    DampLinkForces(nodes);
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (conditions.dragging && static_cast<int>(i) == conditions.currentNode) continue;
        MoveNode(nodes[i], c, conditions.squash);
        nodes[i].force = Vector3{};
    }
}

namespace {

void Link(std::vector<Node>& nodes, int a, int b, int order) {
    nodes[a].neighbours.push_back(b);
    nodes[a].linkOrders.push_back(order);
    nodes[b].neighbours.push_back(a);
    nodes[b].linkOrders.push_back(order);
}

}  // namespace

std::vector<Node> RandomChainMolecule(int count, uint32_t seed,
                                      const std::vector<Element*>& elements) {
    std::mt19937 generator(seed);
    const float side = 40.0f * std::cbrt(static_cast<float>(std::max(count, 1)));
    std::uniform_real_distribution<float> coordinate(-side / 2, side / 2);
    std::vector<Node> nodes;
    nodes.reserve(static_cast<size_t>(count));
    int links = 0;
    for (int i = 0; i < count; ++i) {
        Node node;
        node.id = i;
        node.element = elements[static_cast<size_t>(i) % elements.size()];
        bool apart = false;
        while (!apart) {
            node.position = {coordinate(generator), coordinate(generator), coordinate(generator)};
            apart = true;
            for (const Node& other : nodes) {
                const float dx = other.position.x - node.position.x;
                const float dy = other.position.y - node.position.y;
                const float dz = other.position.z - node.position.z;
                if (dx * dx + dy * dy + dz * dz < 4.0f) {
                    apart = false;
                    break;
                }
            }
        }
        nodes.push_back(node);
        if (i % 12 != 0) {
            ++links;
            Link(nodes, i - 1, i, links % 4 == 0 ? 2 : 1);
        }
    }
    return nodes;
}
