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
// seam; false when nothing could be read.
bool LoadAnyMoleculeFile(const std::string& path, bool centre);
// Builds the molecule from a SMILES string, as New from SMILES does.
bool LoadFromSmiles(const std::string& smiles, bool centre);
// Writes the molecule to path in its own format for ".dat" and ".hpr", in
// the chemistry format its extension names otherwise.
bool WriteAnyMoleculeFile(const std::string& path);
