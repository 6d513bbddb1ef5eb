#include "molecule_check.h"

#include <openbabel/elements.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <unordered_map>

#include "element.h"
#include "measurement.h"
#include "units.h"

namespace {

// What the check needs of an atom's element, in ångström.
struct ElementData {
    bool known = false;     // Open Babel knows the symbol
    double covalent = 0.0;  // covalent radius
    int maxLinks = 0;       // links counted by order that the neutral element allows
};

ElementData DataOf(const Element* element) {
    ElementData data;
    if (!element) return data;
    const unsigned int number = OpenBabel::OBElements::GetAtomicNum(element->symbol.c_str());
    if (number == 0) return data;
    data.known = true;
    data.covalent = OpenBabel::OBElements::GetCovalentRad(number);
    data.maxLinks = OpenBabel::OBElements::GetMaxBonds(number);
    return data;
}

// "3 (C)": the atom's place in the molecule, counted from 0 as in its file,
// and its element.
std::string Label(const Molecule& molecule, int index) {
    const Element* element = molecule.nodes[index].element;
    return std::to_string(index) + " (" + (element ? element->symbol : "?") + ")";
}

std::string Angstrom(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f \xC3\x85", value);
    return text;
}

double AngstromApart(const Node& a, const Node& b) {
    return Distance(a.position, b.position) / kUnitsPerAngstrom;
}

bool Finite(const Vector3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Pairs of atoms closer than half the sum of their covalent radii, found
// through a grid of cells as wide as the largest radius, so a big molecule
// costs about one pass.
void AddClosePairs(const Molecule& molecule, const std::vector<ElementData>& data,
                   std::vector<std::string>& problems) {
    double cell = 0.0;
    for (const ElementData& d : data) cell = std::max(cell, d.covalent);
    if (cell <= 0.0) return;
    const double cellUnits = cell * kUnitsPerAngstrom;
    const auto key = [](long long x, long long y, long long z) {
        return (static_cast<std::uint64_t>(x & 0x1FFFFF) << 42) |
               (static_cast<std::uint64_t>(y & 0x1FFFFF) << 21) |
               static_cast<std::uint64_t>(z & 0x1FFFFF);
    };
    const auto cellOf = [&](float v) { return static_cast<long long>(std::floor(v / cellUnits)); };
    std::unordered_map<std::uint64_t, std::vector<int>> cells;
    const int count = static_cast<int>(molecule.nodes.size());
    for (int i = 0; i < count; ++i) {
        const Vector3& p = molecule.nodes[i].position;
        if (Finite(p)) cells[key(cellOf(p.x), cellOf(p.y), cellOf(p.z))].push_back(i);
    }
    for (int i = 0; i < count; ++i) {
        const Vector3& p = molecule.nodes[i].position;
        if (!data[i].known || !Finite(p)) continue;
        const long long cx = cellOf(p.x), cy = cellOf(p.y), cz = cellOf(p.z);
        for (long long dx = -1; dx <= 1; ++dx)
            for (long long dy = -1; dy <= 1; ++dy)
                for (long long dz = -1; dz <= 1; ++dz) {
                    const auto found = cells.find(key(cx + dx, cy + dy, cz + dz));
                    if (found == cells.end()) continue;
                    for (const int j : found->second) {
                        if (j <= i || !data[j].known) continue;
                        const double limit = (data[i].covalent + data[j].covalent) / 2.0;
                        const double apart = AngstromApart(molecule.nodes[i], molecule.nodes[j]);
                        if (apart < limit)
                            problems.push_back("Atoms " + Label(molecule, i) + " and " +
                                               Label(molecule, j) + " are " + Angstrom(apart) +
                                               " apart, closer than half their covalent radii (" +
                                               Angstrom(limit) + ").");
                    }
                }
    }
}

int Root(std::vector<int>& parent, int i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
}

}  // namespace

std::vector<std::string> MoleculeProblems(const Molecule& molecule) {
    std::vector<std::string> problems;
    const int count = static_cast<int>(molecule.nodes.size());
    std::vector<ElementData> data(count);
    for (int i = 0; i < count; ++i) data[i] = DataOf(molecule.nodes[i].element);

    for (int i = 0; i < count; ++i) {
        const Node& node = molecule.nodes[i];
        const int links = std::accumulate(node.linkOrders.begin(), node.linkOrders.end(), 0);
        // A positive charge lets an atom take one more link for each unit
        // (ammonium, oxonium); a negative one gives none.
        const int allowed = data[i].maxLinks + std::max(node.charge, 0);
        if (data[i].known && links > allowed)
            problems.push_back("Atom " + Label(molecule, i) + " has " + std::to_string(links) +
                               " links; its element allows " + std::to_string(allowed) +
                               (node.charge > 0 ? " at its charge." : "."));
        if (node.element && node.element->symbol == "H" && node.neighbours.size() > 1)
            problems.push_back("Hydrogen " + std::to_string(i) + " has " +
                               std::to_string(node.neighbours.size()) + " links.");
    }

    AddClosePairs(molecule, data, problems);

    std::vector<int> parent(count);
    std::iota(parent.begin(), parent.end(), 0);
    for (int i = 0; i < count; ++i) {
        const Node& node = molecule.nodes[i];
        for (const int j : node.neighbours) {
            if (j <= i || j >= count) continue;
            parent[Root(parent, i)] = Root(parent, j);
            if (!data[i].known || !data[j].known) continue;
            const double sum = data[i].covalent + data[j].covalent;
            const double length = AngstromApart(node, molecule.nodes[j]);
            if (length > 1.5 * sum || length < 0.6 * sum)
                problems.push_back("The link between atoms " + Label(molecule, i) + " and " +
                                   Label(molecule, j) + " is " + Angstrom(length) + " long, " +
                                   (length > 1.5 * sum ? "over 1.5" : "under 0.6") +
                                   " times their covalent radii (" + Angstrom(sum) + ").");
        }
    }
    int fragments = 0, charge = 0;
    for (int i = 0; i < count; ++i) {
        fragments += Root(parent, i) == i ? 1 : 0;
        charge += molecule.nodes[i].charge;
    }
    if (fragments > 1)
        problems.push_back("The molecule is in " + std::to_string(fragments) +
                           " unconnected fragments.");
    if (charge != 0)
        problems.push_back("The net charge is " + std::string(charge > 0 ? "+" : "") +
                           std::to_string(charge) + ".");
    return problems;
}

std::string MoleculeCheckReport(const std::vector<std::string>& problems) {
    if (problems.empty()) return "No problems found.";
    std::string report;
    const std::size_t shown = std::min(problems.size(), kReportedProblems);
    for (std::size_t i = 0; i < shown; ++i) report += (i ? "\n" : "") + problems[i];
    if (problems.size() > shown)
        report += "\n\xE2\x80\xA6 and " + std::to_string(problems.size() - shown) + " more";
    return report;
}
