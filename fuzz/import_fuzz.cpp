// Feeds arbitrary bytes to the importer of one chemistry format (chosen when
// the target is built) with the shipped element table. Every input must give
// either a message and no atoms, or a molecule that is consistent once taken
// into the program: ids equal indices, symmetric links between existing
// distinct nodes, an element for every node, every position finite. The
// library's read runs in a child process, so a fault of the library's own
// ends that read with a message; the mapping into the model runs here.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "atomic_write.h"
#include "chemical_formats.h"
#include "molecule.h"
#include "settings_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string text;
    if (!ReadWholeFile(TESSARIL_SOURCE_DIR "/Tessaril.ini", text)) std::abort();
    ParseSettingsText(text, settings, elementTable);
    if (ElementCount() == 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ImportResult result = ImportMoleculeText(text, static_cast<ChemicalFormat>(TESSARIL_FORMAT));
    if (!result.error.empty()) {
        if (!result.molecule.nodes.empty()) {
            std::fprintf(stderr, "an error with atoms: %s\n", result.error.c_str());
            std::abort();
        }
        return 0;
    }
    TakeImportedMolecule(std::move(result.molecule));
    std::string why;
    if (NodeCount() == 0 || !MoleculeIsConsistent(&why)) {
        std::fprintf(stderr, "inconsistent import: %s\n", why.c_str());
        std::abort();
    }
    return 0;
}
