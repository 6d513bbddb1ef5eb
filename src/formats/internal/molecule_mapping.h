// Between the chemistry library's molecules and the program's: the plain
// record a read in the library gives (which is what comes back from the
// child process the read runs in, as bytes), and the library's molecule
// built from a Molecule for a write.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <openbabel/mol.h>

#include "chemical_formats.h"
#include "element.h"
#include "molecule.h"

namespace ob = OpenBabel;

// The formats library's own: nothing outside src/formats uses these.
namespace formats_internal {

// The library's name for format.
const char* OpenBabelId(ChemicalFormat format);

// What a read in the library gives, as plain data.
struct LibraryAtom {
    int atomicNumber = 0;
    double x = 0, y = 0, z = 0;  // ångström
    int charge = 0;
};
struct LibraryBond {
    int first = 0, second = 0;  // indices into atoms
    int order = 1;
};
struct LibraryMolecule {
    std::string error;  // the read failed; nothing else is set
    std::vector<LibraryAtom> atoms;
    std::vector<LibraryBond> bonds;
    std::string title, formula;
};

// The element table's entry for atomicNumber, or nullptr when it has none.
Element* ElementOfNumber(int atomicNumber);
// Links a and b with order, or raises nothing when they are linked already
// (a file may list a bond twice).
void Link(std::vector<Node>& nodes, int a, int b, int order);
// title on one line without control characters or outer blanks, no longer
// than a name typed in an input box.
std::string CleanTitle(std::string title);
// The position in model units of an atom at x, y, z ångström, or false when
// a coordinate is not finite and within range.
bool ModelPosition(double x, double y, double z, Vector3& position);
// The PDB reader leaves the title empty; the first COMPND record holds it.
std::string PdbTitle(std::string_view text);

LibraryMolecule TakeFromLibrary(ob::OBMol& mol);
// The nodes, name and formula of taken into result.molecule; result.error
// set (and no nodes) for a coordinate or a charge out of range or no atoms
// of a known element, result.warning for atoms of unknown elements left out.
void FromLibrary(const LibraryMolecule& taken, ImportResult& result);

// The highest link order the formats hold; higher ones are written as this.
constexpr int kMaxWrittenOrder = 3;
// The library's molecule for source, with every node as an atom in order.
void ToOpenBabel(const Molecule& source, ob::OBMol& mol);

// taken as bytes for the way back from the child process, and back; Decode
// is false for bytes that are not a whole encoded molecule.
std::string Encode(const LibraryMolecule& taken);
bool Decode(std::string_view bytes, LibraryMolecule& taken);

}  // namespace formats_internal
