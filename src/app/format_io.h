// Molecule files of every kind the program reads and writes: its own format
// and the chemistry formats, chosen by extension, for the command line and
// the start of the window program.
#pragma once

#include <string>

// True when path names its own format (".dat", ".hpr") or one of the
// chemistry formats.
bool IsWritableMoleculePath(const std::string& path);

// Loads path through the importer when its extension is one of the chemistry
// formats, through the own reader otherwise; an imported molecule is centred
// in front of the camera when centre is true. Reports through the message
// seam; false when nothing could be read. A load is one undo step ("Load" or
// "Import") and makes path the molecule's file.
bool LoadAnyMoleculeFile(const std::string& path, bool centre);
// Reads path in the own format whatever its extension, as Load does; one undo
// step, and path becomes the molecule's file.
bool LoadOwnMoleculeFile(const std::string& path);
// Builds the molecule from a SMILES string, as New from SMILES does; one undo
// step, and the molecule has no file.
bool LoadFromSmiles(const std::string& smiles, bool centre);
// The file the molecule was last loaded from or saved to; empty for none.
const std::string& MoleculeFileName();
void SetMoleculeFileName(const std::string& path);
// Whether the molecule has changed since it was last loaded, imported,
// built from SMILES, saved or made new; MarkMoleculeSaved notes that it has
// just been. Undoing back to that point counts as no change.
bool UnsavedChanges();
void MarkMoleculeSaved();
// Writes the molecule to path in the chemistry format its extension names,
// as Export does (with its warnings), and in the own format for any other
// name: a file's extension never misnames its content.
bool WriteAnyMoleculeFile(const std::string& path);

// The chemistry formats' commands on the process-wide molecule, reporting
// through the message seam (one message per failure). A failed import or
// build leaves the molecule as it was. True on success.
bool ImportMoleculeCommand(const std::string& path);
bool ExportMoleculeCommand(const std::string& path);
bool NewFromSmilesCommand(const std::string& smiles);
bool AddHydrogensCommand();
