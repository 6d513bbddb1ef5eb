// Feeds arbitrary bytes to the molecule reader with the shipped element
// table, and checks after every input that the molecule is consistent: ids
// equal indices, every link symmetric between two existing distinct nodes,
// every node with an element and every position finite.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "atomic_write.h"
#include "molecule.h"
#include "molecule_file.h"
#include "settings_file.h"

namespace {

bool Close(float a, float b) {
    return std::fabs(a - b) <= 1e-5f * std::fabs(a) + 1e-30f;
}

bool SameMolecule(const Molecule& a, const Molecule& b) {
    if (a.name != b.name || a.formula != b.formula || a.nodes.size() != b.nodes.size())
        return false;
    for (size_t i = 0; i < a.nodes.size(); ++i) {
        const Node& x = a.nodes[i];
        const Node& y = b.nodes[i];
        if (x.element != y.element || x.neighbours != y.neighbours ||
            x.linkOrders != y.linkOrders || x.cloud != y.cloud || x.charge != y.charge ||
            !Close(x.position.x, y.position.x) || !Close(x.position.y, y.position.y) ||
            !Close(x.position.z, y.position.z))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string text;
    if (!ReadWholeFile(TESSARIL_SOURCE_DIR "/Tessaril.ini", text)) std::abort();
    ParseSettingsText(text, settings, elementTable);
    if (ElementCount() == 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ParseMoleculeText(std::string_view(reinterpret_cast<const char*>(data), size));
    std::string why;
    if (!molecule.ready || !MoleculeIsConsistent(&why)) {
        std::fprintf(stderr, "inconsistent molecule: %s\n", why.c_str());
        std::abort();
    }
    // What was read writes out and reads back to the same molecule.
    const std::string written = FormatMoleculeText();
    const Molecule before = molecule;
    ParseMoleculeText(written);
    if (!SameMolecule(before, molecule)) {
        std::fprintf(stderr, "the written text does not read back to the same molecule\n");
        std::abort();
    }
    return 0;
}
