// The editing commands with their box and messages: the model edits and hands
// back what must be said; here it is asked for and shown.
#include "editing_commands.h"

#include "editing.h"
#include "molecule.h"
#include "molecule_check.h"
#include "notices.h"
#include "prompts.h"

void AddNewAtomAsked() {
    const int target = molecule.currentNode;
    if (!CanTakeNewAtom(target)) return;
    ShowAddNewElementBox();  // inputText: what was typed, empty after Cancel
    ShowNotices(AddNewAtom(target, inputText));
}

void JoinAtomsCommand() {
    ShowNotices(JoinSelectedNodes());
}

void UnjoinAtomsCommand() {
    ShowNotices(UnjoinSelectedNodes());
}

void CheckMoleculeCommand() {
    ShowMessage(MoleculeCheckReport(MoleculeProblems(molecule)), "Check Molecule");
}
