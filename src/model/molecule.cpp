// The molecule record and its basic operations.
#include "molecule.h"

Molecule molecule;

int NodeCount() {
    return static_cast<int>(molecule.nodes.size());
}

void AppendNode(const Node& node) {
    molecule.nodes.push_back(node);
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

bool IsNodeIndex(int index) {
    return index >= 0 && index < NodeCount();
}
