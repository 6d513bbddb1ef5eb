// Building test molecules node by node, keeping ids equal to indices and
// every link recorded on both of its nodes.
#pragma once

#include "element.h"
#include "molecule.h"

inline int AddTestNode(Vector3 position, Element* element) {
    Node node;
    node.id = NodeCount();
    node.position = position;
    node.element = element;
    AppendNode(node);
    return node.id;
}

inline void LinkTestNodes(int a, int b, int order) {
    molecule.nodes[a].neighbours.push_back(b);
    molecule.nodes[a].linkOrders.push_back(order);
    molecule.nodes[b].neighbours.push_back(a);
    molecule.nodes[b].linkOrders.push_back(order);
}
