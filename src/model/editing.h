// Building and changing the molecule by hand: joining and unjoining the two
// selected atoms, adding and removing atoms, and an atom's cloud and charge.
// Every operation keeps the molecule's invariants (ids equal indices, links
// recorded on both nodes with the same order). The operations that can fail
// hand back what the person must be told, empty when all went well.
#pragma once

#include <string_view>

#include "notice.h"

// Links the two selected nodes, or raises the order of their link by one.
// Fewer or more than two selected change nothing and say so; a link recorded
// on only one of the two is raised there and reported.
Notices JoinSelectedNodes();
// Lowers the order of the link between the two selected nodes by one and
// removes the link when it reaches 0. Fewer or more than two selected change
// nothing and say so.
Notices UnjoinSelectedNodes();
// Appends a node of the element at elementIndex at a random place within 20
// of linkTarget (of the origin for -1) on every axis, linked to linkTarget by
// a single link. An index that names no node or element is ignored.
void AddNode(int linkTarget, int elementIndex);
// Whether a new atom may be linked to linkTarget: -1 (no link) or a node.
bool CanTakeNewAtom(int linkTarget);
// Adds an atom of the element typed by symbol or name, in any case (as in the
// Add New Element box), linked to linkTarget (-1 for none). A name that is
// no element adds nothing and says so; a linkTarget that CanTakeNewAtom
// refuses adds nothing and says nothing.
Notices AddNewAtom(int linkTarget, std::string_view typed);
// Removes the node and its links; later nodes move down one place.
void RemoveNode(int index);
void ToggleCloud(int index);
// Adds step to the node's charge, saturating at the int range.
void ChangeCharge(int index, int step);
