// The undo history: every change a person makes to the molecule is one step,
// kept as the command's name and the molecule as it was before the command.
// Undoing puts that molecule back (atoms, positions, forces, links and their
// orders, charges, clouds, selection, name and formula) and keeps the one it
// replaced for redoing. The history holds at most a number of steps and of
// bytes; the oldest steps go first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "molecule.h"

// The molecule's content in flat arrays: one record per atom and every
// atom's links one after another, which is smaller and quicker to take
// and restore than a copy of the nodes with their lists.
struct MoleculeSnapshot {
    struct Atom {
        Vector3 position;
        Vector3 force;
        Vector3 previousForce;
        Element* element = nullptr;
        int linkCount = 0;  // entries of this atom in neighbours and linkOrders
        int charge = 0;
        bool selected = false;
        bool cloud = false;
    };
    std::vector<Atom> atoms;
    std::vector<int> neighbours;  // all atoms' lists, in atom order
    std::vector<int> linkOrders;  // parallel to neighbours
    std::string name;
    std::string formula;
};

MoleculeSnapshot TakeSnapshot();
// Makes the molecule's nodes, name and formula those of the snapshot.
// currentNode and hoverNode stay; like after a removal, they may then name
// no node, which their users treat as none.
void RestoreSnapshot(const MoleculeSnapshot& snapshot);
// Memory the snapshot holds, in bytes.
std::size_t SnapshotBytes(const MoleculeSnapshot& snapshot);
// True when the molecule has the snapshot's atoms with their elements,
// links, orders, charges and clouds, and its name and formula. Positions,
// forces and the selection are not compared: the layout and clicks change
// them while a command waits for the person.
bool SameContent(const MoleculeSnapshot& snapshot);

struct UndoStep {
    std::string command;        // shown in the menu: "Join Atoms", "Delete Atom", ...
    MoleculeSnapshot molecule;  // the molecule before the command (after it, for redo)
    std::size_t bytes = 0;      // SnapshotBytes(molecule) plus the name
    std::uint64_t serial = 0;   // names the molecule after the command (see UndoPosition)
};

struct UndoHistory {
    std::deque<UndoStep> undo;         // oldest first
    std::vector<UndoStep> redo;        // the next one to redo last
    std::size_t bytes = 0;             // held by both lists
    std::size_t maxSteps = 100;        // of both lists together
    std::size_t maxBytes = 64u << 20;  // of both lists together
    std::uint64_t nextSerial = 1;      // the serial the next committed step gets
    std::uint64_t floor = 0;           // UndoPosition with no step left to undo
};

// The one history of the process: program.undoHistory.
extern UndoHistory& undoHistory;

// The molecule as it is now, under the command's name, before the command runs.
UndoStep BeginUndoStep(std::string command);
// Keeps the step; the steps undone before it can no longer be redone.
void CommitUndoStep(UndoStep&& step);
// Keeps the step only when the command changed the molecule's content (see
// SameContent); true when it did. For commands that may end without a
// change: a question answered No, a message instead of the change.
bool CommitUndoStepIfChanged(UndoStep&& step);
// BeginUndoStep and CommitUndoStep at once, for a change that is certain.
void RecordUndoStep(std::string command);

bool CanUndo();
bool CanRedo();
// The name of the step that Undo or Redo would act on, empty when none.
std::string UndoCommandName();
std::string RedoCommandName();
// Puts the molecule back as it was before the last step; false when there
// is none.
bool Undo();
// Makes the last undone step again; false when there is none.
bool Redo();
void ClearUndoHistory();
// Where the molecule stands in the history: the serial of the last step that
// made it, changed by every commit, undo and redo and by clearing the
// history. Undoing back to a place gives that place's value again, so a file
// saved there counts as matching the molecule once more.
std::uint64_t UndoPosition();
