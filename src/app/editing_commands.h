// The Edit menu's and keys' editing commands that ask or tell the person
// something: the Add New Element box in front of adding an atom, and the
// messages of joining, unjoining and Check Molecule.
#pragma once

// Asks for an element with the Add New Element box and adds an atom of it
// linked to the current atom; says so when the name is no element. A stale
// current atom asks nothing.
void AddNewAtomAsked();
// Join and Unjoin of the two selected atoms, with their messages.
void JoinAtomsCommand();
void UnjoinAtomsCommand();
void CheckMoleculeCommand();
