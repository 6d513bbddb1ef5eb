// Reading and writing molecule files of every kind by extension.
#include "format_io.h"

#include <cctype>

#include "chemical_formats.h"
#include "dragging.h"
#include "molecule_file.h"

namespace {

bool IsOwnFormatPath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == "dat" || extension == "hpr";
}

}  // namespace

bool IsWritableMoleculePath(const std::string& path) {
    return IsOwnFormatPath(path) || FormatOfPath(path) != nullptr;
}

bool LoadAnyMoleculeFile(const std::string& path, bool centre) {
    if (!FormatOfPath(path)) return LoadMoleculeFile(path);
    if (!ImportMoleculeCommand(path)) return false;
    if (centre) CentreMolecule();
    return true;
}

bool LoadFromSmiles(const std::string& smiles, bool centre) {
    if (!NewFromSmilesCommand(smiles)) return false;
    if (centre) CentreMolecule();
    return true;
}

bool WriteAnyMoleculeFile(const std::string& path) {
    if (IsOwnFormatPath(path)) return SaveMoleculeFile(path);
    return ExportMoleculeCommand(path);
}
