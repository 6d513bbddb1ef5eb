// Building and changing the molecule by hand: joining and unjoining the two
// selected atoms, adding and removing atoms, and an atom's cloud and charge.
// Every operation keeps the molecule's invariants (ids equal indices, links
// recorded on both nodes with the same order).
#pragma once

// Links the two selected nodes, or raises the order of their link by one.
void JoinSelectedNodes();
// Lowers the order of the link between the two selected nodes by one and
// removes the link when it reaches 0.
void UnjoinSelectedNodes();
// Appends a node of the element at elementIndex at a random place within 20
// of linkTarget (of the origin for -1) on every axis, linked to linkTarget by
// a single link. An index that names no node or element is ignored.
void AddNode(int linkTarget, int elementIndex);
// Asks for an element by symbol or name with the Add New Element box and adds
// an atom of it linked to linkTarget (-1 for none).
void AddNewAtom(int linkTarget);
// Removes the node and its links; later nodes move down one place.
void RemoveNode(int index);
void ToggleCloud(int index);
// Adds step to the node's charge, saturating at the int range.
void ChangeCharge(int index, int step);
void CheckMolecule();
