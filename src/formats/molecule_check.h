// What Check Molecule finds wrong with a molecule, from Open Babel's element
// data: too many links for an element, atoms on top of each other, links
// too long or too short, hydrogens with more than one link, unconnected
// fragments and a net charge.
#pragma once

#include <string>
#include <vector>

#include "molecule.h"

// One line for each thing found: first each atom's, then pairs of atoms too
// close, then links, then the fragments and the net charge. Empty when
// nothing was found.
std::vector<std::string> MoleculeProblems(const Molecule& molecule);

// The lines as the person reads them: at most kReportedProblems of them, then
// "… and N more"; "No problems found." when there are none.
std::string MoleculeCheckReport(const std::vector<std::string>& problems);
constexpr std::size_t kReportedProblems = 20;
