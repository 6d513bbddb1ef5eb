// The common chemistry file formats (XYZ, MDL Molfile/SDF, PDB, mmCIF, CML,
// Mol2, SMILES; listed in format_list.h): importing them into a molecule,
// exporting a molecule to them, building a molecule from SMILES and adding
// missing hydrogens. The chemistry library that does the work stays behind
// this header; its pieces are format_list, chemical_import, chemical_export,
// hydrogens, and under internal/ the guards around the library, the input
// checks, the mapping of molecules and the stereo perception.
//
// Positions are converted with kUnitsPerAngstrom (units.h). Everything here
// runs on the user-interface thread only: a call from another thread is
// refused with a message. The library's reads and writes run in a child
// process (isolated_call.h): while one runs, the waiting side set there may
// keep the window alive and give up on it.
#pragma once

#include <string>
#include <string_view>

#include "format_list.h"
#include "molecule.h"
#include "units.h"

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

// What adding hydrogens came to: the number added, or error set.
struct HydrogensResult {
    int added = 0;
    std::string error;
};
// Appends the hydrogens that the atoms' valences lack, each linked to its
// atom and placed near it.
HydrogensResult AddMissingHydrogens(Molecule& target);

// Replaces the process-wide molecule's nodes, name and formula with those
// of imported and clears its node indices and dragging.
void TakeImportedMolecule(Molecule&& imported);
