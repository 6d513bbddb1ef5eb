// The chemistry file formats the program reads and writes, in the order the
// file choosers offer them, and how a path's extension picks one.
#pragma once

#include <span>
#include <string>
#include <string_view>

enum class ChemicalFormat { Xyz, Molfile, Pdb, Mmcif, Cml, Mol2, Smiles };

struct ChemicalFormatInfo {
    ChemicalFormat format;
    std::string_view label;       // shown in file choosers, e.g. "PDB"
    std::string_view extensions;  // lower case, blank separated, e.g. "pdb ent"
};

// The formats, in the order the file choosers offer them.
std::span<const ChemicalFormatInfo> ChemicalFormats();
const ChemicalFormatInfo& FormatInfo(ChemicalFormat format);
// The format whose extension path ends in (ignoring case), or nullptr when
// the extension is not one of the list.
const ChemicalFormatInfo* FormatOfPath(std::string_view path);
// File chooser filters: "All supported (*.xyz ...)" then one per format,
// separated by ";;".
std::string FormatFilters();
