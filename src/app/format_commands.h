// The menu commands of the chemistry formats: Import, Export and New from
// SMILES in the File menu, Add Hydrogens in the Edit menu.
#pragma once

// Asks for a file in one of the formats and imports it; the molecule is
// centred in front of the camera. A failed import changes nothing.
void ImportFromChooser();
// Asks for a file name and writes the molecule in the format its extension
// names.
void ExportToChooser();
// Asks for a SMILES string and builds the molecule from it in 3D.
void NewFromSmilesAsked();
