// The mapping between the chemistry library's molecules and the program's,
// and the bytes a molecule read in a child process comes back as.
//
//   Mapping        library molecule -> LibraryMolecule -> Molecule, and back
//   Bytes          LibraryMolecule <-> the child process's result
#include "internal/molecule_mapping.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <openbabel/atom.h>
#include <openbabel/bond.h>
#include <openbabel/obiter.h>

#include "internal/input_checks.h"
#include "text_limits.h"
#include "units.h"

namespace formats_internal {

// ---------------------------------------------------------------- Mapping

Element* ElementOfNumber(int atomicNumber) {
    Element* element = ElementAt(atomicNumber - 1);
    if (element && element->atomicNumber == atomicNumber) return element;
    for (int i = 0; i < ElementCount(); ++i)
        if (ElementAt(i)->atomicNumber == atomicNumber) return ElementAt(i);
    return nullptr;
}

void Link(std::vector<Node>& nodes, int a, int b, int order) {
    if (a == b) return;
    Node& first = nodes[static_cast<size_t>(a)];
    if (std::find(first.neighbours.begin(), first.neighbours.end(), b) != first.neighbours.end())
        return;
    first.neighbours.push_back(b);
    first.linkOrders.push_back(order);
    Node& second = nodes[static_cast<size_t>(b)];
    second.neighbours.push_back(a);
    second.linkOrders.push_back(order);
}

std::string CleanTitle(std::string title) {
    for (char& c : title)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    const size_t first = title.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    title = title.substr(first, title.find_last_not_of(' ') - first + 1);
    if (title.size() > kInputTextLimit) title.resize(kInputTextLimit);
    return title;
}

LibraryMolecule TakeFromLibrary(ob::OBMol& mol) {
    LibraryMolecule taken;
    taken.atoms.reserve(mol.NumAtoms());
    FOR_ATOMS_OF_MOL(atom, mol) {
        taken.atoms.push_back({static_cast<int>(atom->GetAtomicNum()), atom->GetX(), atom->GetY(),
                               atom->GetZ(), atom->GetFormalCharge()});
    }
    FOR_BONDS_OF_MOL(bond, mol) {
        taken.bonds.push_back({static_cast<int>(bond->GetBeginAtomIdx()) - 1,
                               static_cast<int>(bond->GetEndAtomIdx()) - 1,
                               static_cast<int>(bond->GetBondOrder())});
    }
    taken.title = mol.GetTitle();
    taken.formula = mol.GetFormula();
    return taken;
}

bool ModelPosition(double x, double y, double z, Vector3& position) {
    const double coordinates[] = {x, y, z};
    for (double c : coordinates)
        if (!std::isfinite(c) || std::fabs(c) > kMaxCoordinate) return false;
    position = {static_cast<float>(coordinates[0] * kUnitsPerAngstrom),
                static_cast<float>(coordinates[1] * kUnitsPerAngstrom),
                static_cast<float>(coordinates[2] * kUnitsPerAngstrom)};
    return true;
}

std::string PdbTitle(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        const std::string_view line = LineAt(text.substr(at), 0);
        if (line.substr(0, 6) == "COMPND") return CleanTitle(std::string(line.substr(6)));
        at += line.size() + 1;
    }
    return {};
}

void FromLibrary(const LibraryMolecule& taken, ImportResult& result) {
    std::vector<Node>& nodes = result.molecule.nodes;
    std::vector<int> nodeOf(taken.atoms.size(), -1);
    int unknown = 0;
    nodes.reserve(taken.atoms.size());
    for (size_t index = 0; index < taken.atoms.size(); ++index) {
        const LibraryAtom& atom = taken.atoms[index];
        const std::string number = std::to_string(index + 1);
        Node node;
        if (!ModelPosition(atom.x, atom.y, atom.z, node.position)) {
            result.error =
                "Atom " + number + " has a coordinate that is not a finite number in range.";
            nodes.clear();
            return;
        }
        node.element = ElementOfNumber(atom.atomicNumber);
        if (!node.element) {
            ++unknown;
            continue;
        }
        node.charge = atom.charge;
        if (std::abs(node.charge) > kMaxCharge) {
            result.error = ChargeError(index + 1, node.charge);
            nodes.clear();
            return;
        }
        node.id = static_cast<int>(nodes.size());
        nodeOf[index] = node.id;
        nodes.push_back(std::move(node));
    }
    if (nodes.empty()) {
        result.error = unknown > 0 ? "None of its atoms is of an element the program knows."
                                   : "There are no atoms in it.";
        return;
    }
    const auto nodeAt = [&](int index) {
        return index >= 0 && static_cast<size_t>(index) < nodeOf.size()
                   ? nodeOf[static_cast<size_t>(index)]
                   : -1;
    };
    for (const LibraryBond& bond : taken.bonds) {
        const int a = nodeAt(bond.first);
        const int b = nodeAt(bond.second);
        if (a < 0 || b < 0) continue;
        Link(nodes, a, b, std::max(1, bond.order));
    }
    if (unknown > 0)
        result.warning = std::to_string(unknown) + (unknown == 1 ? " atom" : " atoms") +
                         " of unknown elements left out.";
    const std::string title = CleanTitle(taken.title);
    if (!title.empty()) result.molecule.name = title;
    result.molecule.formula = taken.formula;
}

void ToOpenBabel(const Molecule& source, ob::OBMol& mol) {
    mol.BeginModify();
    for (const Node& node : source.nodes) {
        ob::OBAtom* atom = mol.NewAtom();
        atom->SetAtomicNum(node.element ? node.element->atomicNumber : 0);
        atom->SetVector(node.position.x / kUnitsPerAngstrom, node.position.y / kUnitsPerAngstrom,
                        node.position.z / kUnitsPerAngstrom);
        atom->SetFormalCharge(node.charge);
    }
    for (const Node& node : source.nodes)
        for (size_t i = 0; i < node.neighbours.size(); ++i) {
            const int other = node.neighbours[i];
            if (other <= node.id) continue;
            mol.AddBond(node.id + 1, other + 1, std::min(node.linkOrders[i], kMaxWrittenOrder));
        }
    mol.EndModify();
    mol.SetDimension(3);
    mol.SetTitle(source.name.c_str());
}

// ---------------------------------------------------------------- Bytes

namespace {

// The way back from the child process.
class ByteWriter {
public:
    template <typename T>
    void Plain(T value) {
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void Text(const std::string& text) {
        Plain(static_cast<uint64_t>(text.size()));
        bytes_ += text;
    }
    std::string Take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
    template <typename T>
    bool Plain(T& value) {
        if (bytes_.size() < sizeof value) return false;
        std::memcpy(&value, bytes_.data(), sizeof value);
        bytes_.remove_prefix(sizeof value);
        return true;
    }
    bool Text(std::string& text) {
        uint64_t size = 0;
        if (!Plain(size) || size > bytes_.size()) return false;
        text.assign(bytes_.substr(0, size));
        bytes_.remove_prefix(size);
        return true;
    }
    // A count of items of at least itemSize bytes each that can follow.
    bool Count(uint64_t& count, size_t itemSize) {
        return Plain(count) && count <= bytes_.size() / itemSize;
    }
    bool AtEnd() const { return bytes_.empty(); }

private:
    std::string_view bytes_;
};

}  // namespace

std::string Encode(const LibraryMolecule& taken) {
    ByteWriter out;
    out.Text(taken.error);
    out.Text(taken.title);
    out.Text(taken.formula);
    out.Plain(static_cast<uint64_t>(taken.atoms.size()));
    for (const LibraryAtom& atom : taken.atoms) out.Plain(atom);
    out.Plain(static_cast<uint64_t>(taken.bonds.size()));
    for (const LibraryBond& bond : taken.bonds) out.Plain(bond);
    return out.Take();
}

bool Decode(std::string_view bytes, LibraryMolecule& taken) {
    ByteReader in(bytes);
    uint64_t atoms = 0, bonds = 0;
    if (!in.Text(taken.error) || !in.Text(taken.title) || !in.Text(taken.formula) ||
        !in.Count(atoms, sizeof(LibraryAtom)))
        return false;
    taken.atoms.resize(atoms);
    for (LibraryAtom& atom : taken.atoms) in.Plain(atom);
    if (!in.Count(bonds, sizeof(LibraryBond))) return false;
    taken.bonds.resize(bonds);
    for (LibraryBond& bond : taken.bonds) in.Plain(bond);
    return in.AtEnd();
}

}  // namespace formats_internal
