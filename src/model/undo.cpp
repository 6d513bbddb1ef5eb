// Snapshots of the molecule and the bounded undo and redo lists.
#include "undo.h"

#include <utility>

MoleculeSnapshot TakeSnapshot() {
    MoleculeSnapshot snapshot;
    std::size_t links = 0;
    for (const Node& node : molecule.nodes) links += node.neighbours.size();
    snapshot.atoms.reserve(molecule.nodes.size());
    snapshot.neighbours.reserve(links);
    snapshot.linkOrders.reserve(links);
    for (const Node& node : molecule.nodes) {
        snapshot.atoms.push_back({node.position, node.force, node.previousForce, node.element,
                                  static_cast<int>(node.neighbours.size()), node.charge,
                                  node.selected, node.cloud});
        snapshot.neighbours.insert(snapshot.neighbours.end(), node.neighbours.begin(),
                                   node.neighbours.end());
        snapshot.linkOrders.insert(snapshot.linkOrders.end(), node.linkOrders.begin(),
                                   node.linkOrders.end());
    }
    snapshot.name = molecule.name;
    snapshot.formula = molecule.formula;
    return snapshot;
}

void RestoreSnapshot(const MoleculeSnapshot& snapshot) {
    // Resizing keeps the surviving nodes' lists, whose memory the assignments
    // below reuse, so undoing a small change allocates next to nothing.
    molecule.nodes.resize(snapshot.atoms.size());
    std::size_t link = 0;
    for (std::size_t i = 0; i < snapshot.atoms.size(); ++i) {
        const MoleculeSnapshot::Atom& atom = snapshot.atoms[i];
        Node& node = molecule.nodes[i];
        node.id = static_cast<int>(i);
        node.position = atom.position;
        node.force = atom.force;
        node.previousForce = atom.previousForce;
        node.element = atom.element;
        node.neighbours.assign(snapshot.neighbours.begin() + link,
                               snapshot.neighbours.begin() + link + atom.linkCount);
        node.linkOrders.assign(snapshot.linkOrders.begin() + link,
                               snapshot.linkOrders.begin() + link + atom.linkCount);
        link += atom.linkCount;
        node.selected = atom.selected;
        node.cloud = atom.cloud;
        node.charge = atom.charge;
    }
    molecule.name = snapshot.name;
    molecule.formula = snapshot.formula;
}

std::size_t SnapshotBytes(const MoleculeSnapshot& snapshot) {
    return sizeof snapshot + snapshot.atoms.capacity() * sizeof(MoleculeSnapshot::Atom) +
           (snapshot.neighbours.capacity() + snapshot.linkOrders.capacity()) * sizeof(int) +
           snapshot.name.capacity() + snapshot.formula.capacity();
}

bool SameContent(const MoleculeSnapshot& snapshot) {
    if (molecule.name != snapshot.name || molecule.formula != snapshot.formula ||
        molecule.nodes.size() != snapshot.atoms.size())
        return false;
    std::size_t link = 0;
    for (std::size_t i = 0; i < snapshot.atoms.size(); ++i) {
        const MoleculeSnapshot::Atom& atom = snapshot.atoms[i];
        const Node& node = molecule.nodes[i];
        if (node.element != atom.element || node.charge != atom.charge ||
            node.cloud != atom.cloud || node.neighbours.size() != std::size_t(atom.linkCount))
            return false;
        for (int k = 0; k < atom.linkCount; ++k, ++link) {
            if (node.neighbours[k] != snapshot.neighbours[link] ||
                node.linkOrders[k] != snapshot.linkOrders[link])
                return false;
        }
    }
    return true;
}

namespace {

UndoStep MakeStep(std::string command) {
    UndoStep step{std::move(command), TakeSnapshot(), 0};
    step.bytes = SnapshotBytes(step.molecule) + step.command.capacity();
    return step;
}

// Drops the oldest undo steps until both bounds hold; should the redo list
// alone break them, its farthest steps go too.
void KeepWithinBounds() {
    UndoHistory& h = undoHistory;
    auto tooMuch = [&] {
        return h.undo.size() + h.redo.size() > h.maxSteps || h.bytes > h.maxBytes;
    };
    while (tooMuch() && !h.undo.empty()) {
        h.bytes -= h.undo.front().bytes;
        h.floor = h.undo.front().serial;  // the molecule that step made is now the oldest
        h.undo.pop_front();
    }
    while (tooMuch() && !h.redo.empty()) {
        h.bytes -= h.redo.front().bytes;
        h.redo.erase(h.redo.begin());
    }
}

// Puts the molecule of the last step of from back and moves the step, now
// holding the molecule it replaced, to the end of to.
template <typename From, typename To>
bool SwapLastStep(From& from, To& to) {
    if (from.empty()) return false;
    UndoStep step = std::move(from.back());
    from.pop_back();
    undoHistory.bytes -= step.bytes;
    UndoStep replaced = MakeStep(std::move(step.command));
    replaced.serial = step.serial;
    RestoreSnapshot(step.molecule);
    undoHistory.bytes += replaced.bytes;
    to.push_back(std::move(replaced));
    KeepWithinBounds();
    return true;
}

}  // namespace

UndoStep BeginUndoStep(std::string command) {
    return MakeStep(std::move(command));
}

void CommitUndoStep(UndoStep&& step) {
    for (const UndoStep& undone : undoHistory.redo) undoHistory.bytes -= undone.bytes;
    undoHistory.redo.clear();
    undoHistory.bytes += step.bytes;
    step.serial = undoHistory.nextSerial++;
    undoHistory.undo.push_back(std::move(step));
    KeepWithinBounds();
}

bool CommitUndoStepIfChanged(UndoStep&& step) {
    if (SameContent(step.molecule)) return false;
    CommitUndoStep(std::move(step));
    return true;
}

void RecordUndoStep(std::string command) {
    CommitUndoStep(BeginUndoStep(std::move(command)));
}

bool CanUndo() {
    return !undoHistory.undo.empty();
}

bool CanRedo() {
    return !undoHistory.redo.empty();
}

std::string UndoCommandName() {
    return CanUndo() ? undoHistory.undo.back().command : std::string();
}

std::string RedoCommandName() {
    return CanRedo() ? undoHistory.redo.back().command : std::string();
}

bool Undo() {
    return SwapLastStep(undoHistory.undo, undoHistory.redo);
}

bool Redo() {
    return SwapLastStep(undoHistory.redo, undoHistory.undo);
}

void ClearUndoHistory() {
    undoHistory.undo.clear();
    undoHistory.redo.clear();
    undoHistory.bytes = 0;
    undoHistory.floor = undoHistory.nextSerial++;
}

std::uint64_t UndoPosition() {
    return undoHistory.undo.empty() ? undoHistory.floor : undoHistory.undo.back().serial;
}
