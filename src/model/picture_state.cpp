// What the window's picture is drawn from, and whether it changed.
#include "picture_state.h"

#include "element.h"
#include "molecule.h"

namespace {

void AppendLooks(std::vector<float>& looks) {
    for (const Element& element : elementTable)
        looks.insert(looks.end(), {element.colour.red, element.colour.green, element.colour.blue,
                                   element.colour.alpha, element.radius});
}

}  // namespace

void CapturePicture(PictureState& state) {
    state.view = viewState;
    state.settings = settings;
    state.elementLooks.clear();
    AppendLooks(state.elementLooks);
    state.molecule = TakeSnapshot();
    state.currentNode = molecule.currentNode;
    state.hoverNode = molecule.hoverNode;
}

bool PictureChanged(const PictureState& drawn) {
    if (!(drawn.view == viewState) || !(drawn.settings == settings) ||
        drawn.currentNode != molecule.currentNode || drawn.hoverNode != molecule.hoverNode ||
        !SameContent(drawn.molecule))
        return true;
    std::vector<float> looks;
    looks.reserve(drawn.elementLooks.size());
    AppendLooks(looks);
    if (looks != drawn.elementLooks) return true;
    // SameContent leaves out what a person moves and clicks: compare it here.
    for (size_t i = 0; i < molecule.nodes.size(); ++i) {
        const Node& node = molecule.nodes[i];
        const MoleculeSnapshot::Atom& atom = drawn.molecule.atoms[i];
        const float dx = node.position.x - atom.position.x;
        const float dy = node.position.y - atom.position.y;
        const float dz = node.position.z - atom.position.z;
        // Written so that a position that is not a number counts as moved.
        if (node.selected != atom.selected ||
            !(dx * dx + dy * dy + dz * dz <= kUnseenMove * kUnseenMove))
            return true;
    }
    return false;
}
