// Adding the hydrogens that the atoms' valences lack, placed by the library.
#include "chemical_formats.h"

#include <exception>
#include <utility>

#include <openbabel/atom.h>
#include <openbabel/obfunctions.h>
#include <openbabel/obiter.h>

#include "internal/library_guard.h"
#include "internal/molecule_mapping.h"

using namespace formats_internal;

HydrogensResult AddMissingHydrogens(Molecule& target) {
    HydrogensResult result;
    if (!OnInterfaceThread(result.error)) return result;
    Element* hydrogen = ElementOfNumber(1);
    if (!hydrogen) {
        result.error = "The element table has no hydrogen.";
        return result;
    }
    if (target.nodes.empty()) return result;
    LibraryCall call;
    ob::OBMol mol;
    ToOpenBabel(target, mol);
    const unsigned int before = mol.NumAtoms();
    try {
        FOR_ATOMS_OF_MOL(atom, mol) ob::OBAtomAssignTypicalImplicitHydrogens(&*atom);
        mol.AddHydrogens();
    } catch (const std::exception&) {
        result.error = "The hydrogens could not be placed.";
        return result;
    }
    for (unsigned int index = before + 1; index <= mol.NumAtoms(); ++index) {
        ob::OBAtom* atom = mol.GetAtom(static_cast<int>(index));
        int parent = -1;
        FOR_NBORS_OF_ATOM(neighbour, atom) {
            if (neighbour->GetIdx() <= before) parent = static_cast<int>(neighbour->GetIdx()) - 1;
        }
        if (parent < 0) continue;
        Node node;
        const int id = static_cast<int>(target.nodes.size());
        node.id = id;
        node.element = hydrogen;
        const Vector3 at = target.nodes[static_cast<size_t>(parent)].position;
        if (!ModelPosition(atom->GetX(), atom->GetY(), atom->GetZ(), node.position))
            node.position = at;
        // Placed on its atom when the library could not place it; the layout
        // then moves it out (a small offset keeps the repulsion finite).
        if (node.position.x == at.x && node.position.y == at.y && node.position.z == at.z)
            node.position.x += 1.0f * static_cast<float>(1 + index - before);
        target.nodes.push_back(std::move(node));
        Link(target.nodes, id, parent, 1);
        ++result.added;
    }
    return result;
}
