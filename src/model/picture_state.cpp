// What the window's picture is drawn from, and whether it changed.
#include "picture_state.h"

#include "element.h"
#include "molecule.h"

void CapturePicture(PictureState& state) {
    state.view = viewState;
    state.settings = settings;
    state.elementLooks.clear();
    for (const Element& element : elementTable)
        state.elementLooks.insert(state.elementLooks.end(),
                                  {element.colour.red, element.colour.green, element.colour.blue,
                                   element.colour.alpha, element.radius});
    state.positions.clear();
    state.atoms.clear();
    for (const Node& node : molecule.nodes) {
        state.positions.push_back(node.position);
        state.atoms.insert(state.atoms.end(),
                           {reinterpret_cast<std::intptr_t>(node.element),
                            std::intptr_t{node.selected} | std::intptr_t{node.cloud} << 1,
                            node.charge, static_cast<std::intptr_t>(node.neighbours.size())});
        state.atoms.insert(state.atoms.end(), node.neighbours.begin(), node.neighbours.end());
        state.atoms.insert(state.atoms.end(), node.linkOrders.begin(), node.linkOrders.end());
    }
    state.name = molecule.name;
    state.formula = molecule.formula;
    state.currentNode = molecule.currentNode;
    state.hoverNode = molecule.hoverNode;
}

bool PictureChanged(const PictureState& drawn, const PictureState& now) {
    if (!(drawn.view == now.view) || !(drawn.settings == now.settings) ||
        drawn.elementLooks != now.elementLooks || drawn.atoms != now.atoms ||
        drawn.positions.size() != now.positions.size() || drawn.name != now.name ||
        drawn.formula != now.formula || drawn.currentNode != now.currentNode ||
        drawn.hoverNode != now.hoverNode)
        return true;
    for (size_t i = 0; i < now.positions.size(); ++i) {
        const float dx = now.positions[i].x - drawn.positions[i].x;
        const float dy = now.positions[i].y - drawn.positions[i].y;
        const float dz = now.positions[i].z - drawn.positions[i].z;
        // Written so that a position that is not a number counts as moved.
        if (!(dx * dx + dy * dy + dz * dz <= kUnseenMove * kUnseenMove)) return true;
    }
    return false;
}
