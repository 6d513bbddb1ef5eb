// The layout step written as plainly as it reads: an array of Node records,
// single-precision arithmetic and the loops one for one, without guards. The
// simulation benchmark measures the program's step against it; the tests
// check that they agree.
#pragma once

#include <cstdint>
#include <vector>

#include "element.h"
#include "molecule.h"

struct ReferenceConditions {
    int cohesion = 50;      // Settings::Cohesion
    bool squash = false;    // Settings::Squash
    bool dragging = false;  // Molecule::dragging
    int currentNode = -1;   // Molecule::currentNode
};

void ReferenceSimulationStep(std::vector<Node>& nodes, const ReferenceConditions& conditions);

// A test and benchmark molecule: count nodes of the given elements (used in
// turn) at random places in a cube of about 40 units per atom, no two closer
// than 2, linked in chains of up to 12 nodes with every fourth link double.
// The same seed gives the same molecule.
std::vector<Node> RandomChainMolecule(int count, uint32_t seed,
                                      const std::vector<Element*>& elements);
