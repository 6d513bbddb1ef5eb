// The common chemistry file formats (XYZ, MDL Molfile/SDF, PDB, mmCIF, CML,
// Mol2, SMILES): importing them into a molecule, exporting a molecule to
// them, building a molecule from SMILES and adding missing hydrogens. The
// chemistry library that does the work stays behind this header.
//
// Positions are converted with kUnitsPerAngstrom (units.h). Everything here
// runs on the user-interface thread only: a call from another thread is
// refused with a message. The library's reads and writes run in a child
// process (isolated_call.h): while one runs, the waiting side set there may
// keep the window alive and give up on it.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "molecule.h"
#include "units.h"

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

// What an import or a SMILES build gives: the molecule (nodes, name,
// formula) when error is empty; warning holds a note the person should see
// even though it worked.
struct ImportResult {
    Molecule molecule;
    std::string error;
    std::string warning;
    bool cancelled = false;  // the read was given up on while it ran; error says so
};

// Reads the first molecule of text. Refuses input that is not text, a
// molecule without atoms and any coordinate that is not finite. Atoms of
// elements missing from the element table are left out with a warning.
// SMILES text is built in 3D with hydrogens as BuildFromSmiles does.
// activity names the read while it runs ("Importing caffeine.sdf").
ImportResult ImportMoleculeText(std::string_view text, ChemicalFormat format,
                                const std::string& activity = "Importing");
// Reads path in the format its extension names.
ImportResult ImportMoleculeFile(const std::string& path);
// The library's own read of text (bond perception included; SMILES built in
// 3D), in this process and without the mapping to a Molecule: the floor that
// ImportMoleculeText can reach. Returns the number of atoms read.
int ReadWithLibraryOnly(std::string_view text, ChemicalFormat format);
// A molecule in 3D with its hydrogens from a SMILES string.
ImportResult BuildFromSmiles(std::string_view smiles);

// The molecule written in format: positions, elements, link orders and
// charges. text is empty and error set when it cannot be written; warning
// notes what the format cannot hold (electron clouds).
struct ExportResult {
    std::string text;
    std::string error;
    std::string warning;
    bool cancelled = false;  // the write was given up on while it ran; error says so
};
ExportResult ExportMoleculeText(const Molecule& source, ChemicalFormat format,
                                const std::string& activity = "Exporting");
// The library's write of source in this process, with the stereochemistry
// perceived as ExportMoleculeText does, or by the library itself when
// libraryStereo (its time grows with the cube of a chain's length). Empty
// when it could not be written.
std::string WriteWithLibraryOnly(const Molecule& source, ChemicalFormat format, bool libraryStereo);

// Appends the hydrogens that the atoms' valences lack, each linked to its
// atom and placed near it. Returns the number added, or -1 with error set.
int AddMissingHydrogens(Molecule& target, std::string& error);

// Replaces the process-wide molecule's nodes, name and formula with those
// of imported and clears its node indices and dragging.
void TakeImportedMolecule(Molecule&& imported);
