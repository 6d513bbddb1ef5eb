// Reading and writing molecule files of every kind by extension.
#include "format_io.h"

#include <cctype>
#include <cstdint>
#include <utility>

#include "camera.h"
#include "chemical_formats.h"
#include "dragging.h"
#include "isolated_call.h"
#include "molecule_file.h"
#include "undo.h"

namespace {

bool IsOwnFormatPath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == "dat" || extension == "hpr";
}

std::string moleculeFileName;
std::uint64_t savedPosition = 0;  // UndoPosition when the molecule last matched a file
void (*outsideMoleculeHandler)() = nullptr;

// Where a molecule comes from: the own files leave the layout as it was.
enum class Origin { OwnFile, Outside };

// Runs load as one undo step under command; the step is kept and path
// becomes the molecule's file only when load succeeds.
template <typename Load>
bool LoadAsStep(const char* command, const std::string& path, Origin origin, Load load) {
    if (IsolatedWorkUnderWay()) return false;  // one molecule on its way in or out at a time
    UndoStep step = BeginUndoStep(command);
    if (!load()) return false;
    FitEyeToView();
    CommitUndoStep(std::move(step));
    moleculeFileName = path;
    MarkMoleculeSaved();
    if (origin == Origin::Outside && outsideMoleculeHandler) outsideMoleculeHandler();
    return true;
}

}  // namespace

const std::string& MoleculeFileName() {
    return moleculeFileName;
}

void SetMoleculeFileName(const std::string& path) {
    moleculeFileName = path;
}

bool UnsavedChanges() {
    return UndoPosition() != savedPosition;
}

void MarkMoleculeSaved() {
    savedPosition = UndoPosition();
}

void SetOutsideMoleculeHandler(void (*handler)()) {
    outsideMoleculeHandler = handler;
}

bool IsWritableMoleculePath(const std::string& path) {
    return IsOwnFormatPath(path) || FormatOfPath(path) != nullptr;
}

bool LoadAnyMoleculeFile(const std::string& path, bool centre) {
    if (!FormatOfPath(path)) return LoadOwnMoleculeFile(path);
    return LoadAsStep("Import", path, Origin::Outside, [&] {
        if (!ImportMoleculeCommand(path)) return false;
        if (centre) CentreMolecule();
        return true;
    });
}

bool LoadOwnMoleculeFile(const std::string& path) {
    return LoadAsStep("Load", path, Origin::OwnFile, [&] { return LoadMoleculeFile(path); });
}

bool LoadFromSmiles(const std::string& smiles, bool centre) {
    return LoadAsStep("New from SMILES", std::string(), Origin::Outside, [&] {
        if (!NewFromSmilesCommand(smiles)) return false;
        if (centre) CentreMolecule();
        return true;
    });
}

bool WriteAnyMoleculeFile(const std::string& path) {
    if (IsolatedWorkUnderWay()) return false;
    if (FormatOfPath(path)) return ExportMoleculeCommand(path);
    return SaveMoleculeFile(path);
}
