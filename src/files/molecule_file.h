// Molecule files (".dat", ".hpr"): the text format's reader and writer, and
// the reading and writing of such a file on disk.
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

#include "file_result.h"

// Replaces the nodes of the molecule with those of text, and its name and
// formula when text gives them. Lines naming an unknown element are left
// out, with a notice each for the first three ("Unrecognised Element") and
// one counting the rest. Links always end up symmetric and between
// existing, distinct nodes. Not ok, leaving the molecule as it was, when the
// memory for the nodes is not available (the notices then hold the lines
// read up to that point).
FileResult ParseMoleculeText(std::string_view text);

// The memory reading nodeLines node lines takes beyond the text, not
// counting their link lists.
size_t MoleculeReadingBytes(int nodeLines);

// The molecule in the writer's canonical form.
std::string FormatMoleculeText();

// Reads the file at path into the molecule, with the parser's notices; not
// ok, changing nothing, when it cannot be read or there is not the memory
// for it, with a notice saying so.
FileResult LoadMoleculeFile(const std::string& path);
// Writes the molecule to path, replacing any old file only once the new one
// is complete; not ok, with a notice, when it cannot be written.
FileResult SaveMoleculeFile(const std::string& path);
