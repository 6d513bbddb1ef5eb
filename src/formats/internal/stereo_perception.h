// The stereochemistry a write takes from the 3D coordinates, perceived with
// symmetry classes that cost linear time per round instead of the library's
// cubic ones.
#pragma once

#include <openbabel/mol.h>

// The formats library's own: nothing outside src/formats uses these.
namespace formats_internal {

// What the library's writers would perceive from the 3D coordinates
// (tetrahedral centres, double bonds' cis and trans) before writing; the
// molecule is then marked as perceived.
void PerceiveStereoFrom3D(OpenBabel::OBMol& mol);

}  // namespace formats_internal
