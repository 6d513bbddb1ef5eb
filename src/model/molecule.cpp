// The molecule record and its basic operations.
#include "molecule.h"

#include <cmath>
#include <utility>

int NodeCount() {
    return static_cast<int>(molecule.nodes.size());
}

void AppendNode(const Node& node) {
    molecule.nodes.push_back(node);
}

void AppendNode(Node&& node) {
    molecule.nodes.push_back(std::move(node));
}

void ClearNodes() {
    molecule.nodes.clear();
}

void NewMolecule() {
    ClearNodes();
    molecule.hoverNode = -1;
    molecule.currentNode = -1;
    molecule.name = "Unnamed";
    molecule.formula = "---";
}

void ClickSelect(bool extend) {
    if (!extend) {
        for (Node& node : molecule.nodes) node.selected = false;
    }
    molecule.currentNode = molecule.hoverNode;
    if (IsNodeIndex(molecule.currentNode)) molecule.nodes[molecule.currentNode].selected = true;
}

int LinkEntry(const Node& node, int neighbour) {
    for (size_t entry = 0; entry < node.neighbours.size(); ++entry)
        if (node.neighbours[entry] == neighbour) return static_cast<int>(entry);
    return -1;
}

bool IsNodeIndex(int index) {
    return index >= 0 && index < NodeCount();
}

namespace {

bool Finite(const Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool Fail(std::string* why, const std::string& text) {
    if (why) *why = text;
    return false;
}

}  // namespace

bool MoleculeIsConsistent(std::string* why) {
    for (int i = 0; i < NodeCount(); ++i) {
        const Node& node = molecule.nodes[i];
        const std::string at = "node " + std::to_string(i) + ": ";
        if (node.id != i) return Fail(why, at + "id " + std::to_string(node.id));
        if (!node.element) return Fail(why, at + "no element");
        if (!Finite(node.position) || !Finite(node.force) || !Finite(node.previousForce))
            return Fail(why, at + "position or force not finite");
        if (node.neighbours.size() != node.linkOrders.size())
            return Fail(why, at + "link lists differ in length");
        for (size_t k = 0; k < node.neighbours.size(); ++k) {
            const int other = node.neighbours[k];
            const std::string link = at + "link to " + std::to_string(other) + ": ";
            if (node.linkOrders[k] < 1) return Fail(why, link + "order below 1");
            if (!IsNodeIndex(other) || other == i) return Fail(why, link + "no such other node");
            if (LinkEntry(node, other) != static_cast<int>(k))
                return Fail(why, link + "listed twice");
            const Node& back = molecule.nodes[other];
            const int reverse = LinkEntry(back, i);
            const bool mirrored =
                reverse >= 0 && static_cast<size_t>(reverse) < back.linkOrders.size() &&
                back.linkOrders[static_cast<size_t>(reverse)] == node.linkOrders[k];
            if (!mirrored) return Fail(why, link + "not symmetric");
        }
    }
    return true;
}
