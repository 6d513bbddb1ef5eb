// The one molecule of the process: its atoms (nodes) with their links, its
// name and formula, and the interaction state that input and picking share.
//
// Invariants kept by every operation:
//   1. nodes[i].id == i;
//   2. neighbours and linkOrders have equal length, every order is >= 1 and
//      every neighbour is the id of another existing node;
//   3. links are symmetric: each is listed on both nodes with the same order.
#pragma once

#include <string>
#include <vector>

#include "colour.h"
#include "element.h"

struct Node {
    int id = 0;                   // equals the node's index in Molecule::nodes
    Vector3 position;             // model space
    Vector3 force;                // accumulated during one simulation step
    Vector3 previousForce;        // force the node was last moved with
    Element* element = nullptr;   // entry of elementTable, not owned
    std::vector<int> linkOrders;  // order of the link to neighbours[i], >= 1
    std::vector<int> neighbours;  // ids of linked nodes, in the order the links were made
    bool selected = false;        // part of the selection that join and unjoin act on
    bool cloud = false;           // electron cloud drawn around the atom
    int charge = 0;               // net charge in elementary units
};

struct Molecule {
    std::vector<Node> nodes;       // the atoms in order
    std::string name = "Unnamed";  // shown in the title, stored in the file
    std::string formula = "---";   // free text; digits drawn as subscripts
    int currentNode = -1;          // node under the mouse at the last left press, -1 for none
    int hoverNode = -1;            // node under the mouse pointer, -1 for none
    bool dragging = false;         // left button held in the main window
    bool ready = true;             // false while a file is being read into nodes
};

// The one molecule of the process: program.molecule (program_state.h).
extern Molecule& molecule;

int NodeCount();
// Appends a copy of node; the caller has set its id to NodeCount().
void AppendNode(const Node& node);
// The same, taking over node's lists instead of copying them.
void AppendNode(Node&& node);
// Removes every node; name, formula and the indices stay as they are.
void ClearNodes();
// The New command once confirmed: an empty molecule named "Unnamed" / "---".
void NewMolecule();
// A left press: selects the hovered node (adding to the selection when
// extend is true) and makes it current.
void ClickSelect(bool extend);
// The position of neighbour in node's link lists (the first, should it be
// listed twice), or -1 when the two are not linked.
int LinkEntry(const Node& node, int neighbour);
// True when index names an existing node.
bool IsNodeIndex(int index);
// True when invariants 1 to 3 hold, every node has an element and every
// position and force is finite; otherwise false with the first fault in why.
bool MoleculeIsConsistent(std::string* why = nullptr);
