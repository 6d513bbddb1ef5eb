// Molecule files (".dat", ".hpr"): the text format's reader and writer, and
// the Load and Save commands around them.
//
//   # comment              lines not starting with "[", "{" or "(" are skipped
//   [Nitrite]              name
//   {NO2-}                 formula
//   (0)N{1,1,2}*[0,0,0]    node: number, symbol, links (repeated per order),
//   (1)O{0,0}[30,10,0]           "*" for a cloud, "+"/"-" per unit of charge,
//   (2)O{0}-[-30,10,0]           position
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Replaces the nodes of the molecule with those of text, and its name and
// formula when text gives them. Lines naming an unknown element are
// reported ("Unrecognised Element" for the first three, then one count of
// the rest) and left out. Links always end up symmetric and between
// existing, distinct nodes. False, leaving the molecule as it was, when the
// memory for the nodes is not available.
bool ParseMoleculeText(std::string_view text);

// The memory reading nodeLines node lines takes beyond the text, not
// counting their link lists.
size_t MoleculeReadingBytes(int nodeLines);

// The molecule in the writer's canonical form.
std::string FormatMoleculeText();

// Reads the file at path into the molecule; reports and returns false,
// changing nothing, when it cannot be read or there is not the memory for it.
bool LoadMoleculeFile(const std::string& path);
// Writes the molecule to path, replacing any old file only once the new one
// is complete; reports and returns false when it cannot be written.
bool SaveMoleculeFile(const std::string& path);
