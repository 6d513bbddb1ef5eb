// The editing operations of the molecule. Indices come from the main window
// (currentNode, digit keys) and may be stale, so each operation checks the
// ones it is given and ignores a command that names nothing. What the person
// must be told is handed back for the app to show.
#include "editing.h"

#include "clamp.h"
#include "element.h"
#include "molecule.h"
#include "random.h"

namespace {

struct SelectedPair {
    int a = -1;  // lower index
    int b = -1;
};

// The pair exists only when exactly two nodes are selected.
bool FindSelectedPair(SelectedPair& pair) {
    int count = 0;
    for (int i = 0; i < NodeCount(); ++i) {
        if (!molecule.nodes[i].selected) continue;
        ++count;
        if (count == 1)
            pair.a = i;
        else
            pair.b = i;
    }
    return count == 2;
}

void RemoveLinkEntry(Node& node, int entry) {
    node.neighbours.erase(node.neighbours.begin() + entry);
    node.linkOrders.erase(node.linkOrders.begin() + entry);
}

// One side of an unjoin: lowers the order towards neighbour, dropping the
// entry at zero.
void LowerLink(Node& node, int neighbour) {
    const int entry = LinkEntry(node, neighbour);
    if (entry < 0) return;
    if (--node.linkOrders[entry] == 0) RemoveLinkEntry(node, entry);
}

// The coordinate of a new atom: 0..32767 spread over -20..+20.
float RandomOffset() {
    return static_cast<float>(RandomInteger()) * 0.0012207404f - 20.0f;
}

}  // namespace

Notices JoinSelectedNodes() {
    SelectedPair pair;
    if (!FindSelectedPair(pair))
        return {{"You must select exactly two atoms to join!", "Selection error"}};
    Node& a = molecule.nodes[pair.a];
    Node& b = molecule.nodes[pair.b];
    const int onA = LinkEntry(a, b.id);
    if (onA >= 0) {
        ++a.linkOrders[onA];
        const int onB = LinkEntry(b, a.id);
        if (onB >= 0) {
            ++b.linkOrders[onB];
            return {};
        }
        return {{"Error in JoinSelectedNodes", "Dodgy linkage"}};
    }
    a.neighbours.push_back(b.id);
    a.linkOrders.push_back(1);
    b.neighbours.push_back(a.id);
    b.linkOrders.push_back(1);
    return {};
}

Notices UnjoinSelectedNodes() {
    SelectedPair pair;
    if (!FindSelectedPair(pair))
        return {{"You must select exactly two atoms to unjoin!", "Selection error"}};
    Node& a = molecule.nodes[pair.a];
    Node& b = molecule.nodes[pair.b];
    LowerLink(a, b.id);
    LowerLink(b, a.id);
    return {};
}

void AddNode(int linkTarget, int elementIndex) {
    Element* element = ElementAt(elementIndex);
    if (!element) return;
    if (linkTarget != -1 && !IsNodeIndex(linkTarget)) return;

    const int n = NodeCount();
    Node node;
    node.id = n;
    // Three draws in x, y, z order, so a seeded generator places atoms the
    // same way every time.
    node.position.x = RandomOffset();
    node.position.y = RandomOffset();
    node.position.z = RandomOffset();
    node.element = element;
    if (linkTarget != -1) {
        const Vector3& target = molecule.nodes[linkTarget].position;
        node.position.x += target.x;
        node.position.y += target.y;
        node.position.z += target.z;
    }
    AppendNode(node);
    if (linkTarget != -1) {
        Node& target = molecule.nodes[linkTarget];
        target.neighbours.push_back(n);
        target.linkOrders.push_back(1);
        Node& added = molecule.nodes[n];
        added.neighbours.push_back(linkTarget);
        added.linkOrders.push_back(1);
    }
}

bool CanTakeNewAtom(int linkTarget) {
    return linkTarget == -1 || IsNodeIndex(linkTarget);
}

Notices AddNewAtom(int linkTarget, std::string_view typed) {
    if (!CanTakeNewAtom(linkTarget)) return {};
    const Element* element = FindElement(typed);
    if (!element) return {{"Unknown Element!", "Unknown Element"}};
    // The element found, wherever it stands in the table: its atomic number
    // names its place only in a table without gaps or disorder.
    AddNode(linkTarget, static_cast<int>(element - elementTable.data()));
    return {};
}

void RemoveNode(int index) {
    if (!IsNodeIndex(index)) return;
    molecule.nodes.erase(molecule.nodes.begin() + index);
    for (Node& node : molecule.nodes) {
        if (node.id > index) --node.id;
        const int entry = LinkEntry(node, index);
        if (entry >= 0) RemoveLinkEntry(node, entry);
        for (int& neighbour : node.neighbours) {
            if (neighbour > index) --neighbour;
        }
    }
}

void ToggleCloud(int index) {
    if (!IsNodeIndex(index)) return;
    Node& node = molecule.nodes[index];
    node.cloud = !node.cloud;
}

void ChangeCharge(int index, int step) {
    if (!IsNodeIndex(index)) return;
    int& charge = molecule.nodes[index].charge;
    charge = ClampToInt(static_cast<long long>(charge) + step);
}
