// What several benchmarks start from: the shipped element table, and a
// generated molecule of chains and rings in carbon with some oxygen.
#pragma once

#include <string>

#include "atomic_write.h"
#include "element.h"
#include "molecule.h"
#include "settings.h"
#include "settings_file.h"

inline void LoadShippedElements() {
    if (ElementCount() > 0) return;
    std::string text;
    ReadWholeFile(std::string(TESSARIL_SOURCE_DIR) + "/Tessaril.ini", text);
    ParseSettingsText(text, settings, elementTable);
}

inline void LinkBenchNodes(int a, int b, int order) {
    molecule.nodes[a].neighbours.push_back(b);
    molecule.nodes[a].linkOrders.push_back(order);
    molecule.nodes[b].neighbours.push_back(a);
    molecule.nodes[b].linkOrders.push_back(order);
}

// Replaces the molecule with count atoms in rows, alternating single and
// double links along the chain and a single link closing every sixth.
inline void BuildGeneratedMolecule(int count) {
    LoadShippedElements();
    molecule = Molecule{};
    for (int i = 0; i < count; ++i) {
        Node node;
        node.id = i;
        node.element = ElementAt(i % 7 == 3 ? 7 : 5);
        node.position = {static_cast<float>(i % 100) * 61.25f, static_cast<float>(i / 100) * 0.5f,
                         static_cast<float>(i % 13) - 6.125f};
        AppendNode(node);
    }
    for (int i = 0; i + 1 < count; ++i) LinkBenchNodes(i, i + 1, i % 2 == 0 ? 2 : 1);
    for (int i = 5; i < count; i += 6) LinkBenchNodes(i, i - 5, 1);
}
