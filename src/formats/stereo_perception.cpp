// Stereo perception for writing: the atoms' symmetry classes by colour
// refinement, then the library's own stereo units from them.
#include "internal/stereo_perception.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include <openbabel/atom.h>
#include <openbabel/bond.h>
#include <openbabel/obiter.h>
#include <openbabel/stereo/stereo.h>

namespace ob = OpenBabel;

namespace formats_internal {

namespace {

// Symmetry classes of the atoms by colour refinement: atoms start in classes
// of their element, charge, isotope, ring and aromatic marks, and are split
// by the classes and bond orders of their neighbours until no class splits,
// or for at most kRefinementRounds rounds. Atoms the molecule's symmetry
// maps onto each other always share a class. The library's own classes
// (graph distances between all pairs of atoms, refined one bond at a time)
// cost time cubic in the length of a chain; these are linear per round, and
// the stereo perception that uses them needs only which atoms are alike.
constexpr int kRefinementRounds = 64;

uint64_t Mixed(uint64_t value) {
    value += 0x9e3779b97f4a7c15ull;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ull;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebull;
    return value ^ (value >> 31);
}

// Renumbers keys as classes 1, 2, ... in the order of the keys; returns the
// number of classes.
size_t Renumber(const std::vector<uint64_t>& keys, std::vector<unsigned int>& classes) {
    std::vector<uint64_t> distinct = keys;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    classes.resize(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        classes[i] = static_cast<unsigned int>(
            std::lower_bound(distinct.begin(), distinct.end(), keys[i]) - distinct.begin() + 1);
    return distinct.size();
}

std::vector<unsigned int> SymmetryClasses(ob::OBMol& mol) {
    const size_t count = mol.NumAtoms();
    std::vector<uint64_t> keys(count);
    std::vector<std::vector<std::pair<size_t, unsigned int>>> neighbours(count);
    FOR_ATOMS_OF_MOL(atom, mol) {
        const size_t index = atom->GetIndex();
        keys[index] =
            Mixed((uint64_t{atom->GetAtomicNum()} << 40) ^ (uint64_t{atom->GetIsotope()} << 24) ^
                  (static_cast<uint64_t>(atom->GetFormalCharge() + 128) << 8) ^
                  (atom->IsInRing() ? 2u : 0u) ^ (atom->IsAromatic() ? 1u : 0u));
    }
    FOR_BONDS_OF_MOL(bond, mol) {
        const size_t a = bond->GetBeginAtom()->GetIndex(), b = bond->GetEndAtom()->GetIndex();
        neighbours[a].push_back({b, bond->GetBondOrder()});
        neighbours[b].push_back({a, bond->GetBondOrder()});
    }
    std::vector<unsigned int> classes;
    size_t classCount = Renumber(keys, classes);
    std::vector<uint64_t> around;
    for (int round = 0; round < kRefinementRounds; ++round) {
        for (size_t i = 0; i < count; ++i) {
            around.clear();
            for (const auto& [other, order] : neighbours[i])
                around.push_back(Mixed((uint64_t{classes[other]} << 8) | order));
            std::sort(around.begin(), around.end());
            uint64_t key = Mixed(classes[i]);
            for (uint64_t part : around) key = Mixed(key ^ part);
            keys[i] = key;
        }
        const size_t refined = Renumber(keys, classes);
        if (refined == classCount) break;
        classCount = refined;
    }
    return classes;
}

}  // namespace

void PerceiveStereoFrom3D(ob::OBMol& mol) {
    mol.DeleteData(ob::OBGenericDataType::StereoData);
    const ob::OBStereoUnitSet units = ob::FindStereogenicUnits(&mol, SymmetryClasses(mol));
    ob::TetrahedralFrom3D(&mol, units);
    ob::CisTransFrom3D(&mol, units);
    mol.SetChiralityPerceived();
}

}  // namespace formats_internal
