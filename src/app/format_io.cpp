// Reading and writing molecule files of every kind by extension, and the
// chemistry formats' commands with their messages.
#include "format_io.h"

#include <cctype>
#include <cstdint>
#include <utility>

#include "atomic_write.h"
#include "camera.h"
#include "chemical_formats.h"
#include "dragging.h"
#include "isolated_call.h"
#include "molecule.h"
#include "molecule_file.h"
#include "notices.h"
#include "program_state.h"
#include "prompts.h"
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
    program.moleculeFileName = path;
    MarkMoleculeSaved();
    if (origin == Origin::Outside && shellState.outsideMoleculeArrived)
        shellState.outsideMoleculeArrived();
    return true;
}

}  // namespace

const std::string& MoleculeFileName() {
    return program.moleculeFileName;
}

void SetMoleculeFileName(const std::string& path) {
    program.moleculeFileName = path;
}

bool UnsavedChanges() {
    return UndoPosition() != program.savedPosition;
}

void MarkMoleculeSaved() {
    program.savedPosition = UndoPosition();
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
    return LoadAsStep("Load", path, Origin::OwnFile, [&] {
        const FileResult loaded = LoadMoleculeFile(path);
        ShowNotices(loaded.notices);
        return loaded.ok;
    });
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
    const FileResult saved = SaveMoleculeFile(path);
    ShowNotices(saved.notices);
    return saved.ok;
}

namespace {

bool TakeResult(ImportResult& result) {
    if (result.cancelled) return false;  // the person gave up on it: nothing to say
    if (!result.error.empty()) {
        ShowMessage(result.error, "Import error");
        return false;
    }
    if (!result.warning.empty()) ShowMessage(result.warning, "Import");
    TakeImportedMolecule(std::move(result.molecule));
    return true;
}

}  // namespace

bool ImportMoleculeCommand(const std::string& path) {
    ImportResult result = ImportMoleculeFile(path);
    return TakeResult(result);
}

bool NewFromSmilesCommand(const std::string& smiles) {
    ImportResult result = BuildFromSmiles(smiles);
    if (!result.error.empty()) result.error = "Unable to build from SMILES: " + result.error;
    return TakeResult(result);
}

bool ExportMoleculeCommand(const std::string& path) {
    const ChemicalFormatInfo* format = FormatOfPath(path);
    if (!format) {
        ShowMessage("Unable to export " + path + ": its extension is not one of the formats.",
                    "Export error");
        return false;
    }
    std::string why;
    if (!MoleculeIsConsistent(&why)) {
        ShowMessage("Unable to export " + path + ": " + why, "Export error");
        return false;
    }
    const size_t slash = path.find_last_of('/');
    ExportResult result =
        ExportMoleculeText(molecule, format->format,
                           "Exporting " + path.substr(slash == std::string::npos ? 0 : slash + 1));
    if (result.cancelled) return false;
    if (!result.error.empty()) {
        ShowMessage("Unable to export " + path + ": " + result.error, "Export error");
        return false;
    }
    WriteFault fault = WriteFault::None;
    if (!WriteFileAtomically(path, result.text, &fault)) {
        ShowMessage(fault == WriteFault::DiskFull ? WriteFaultMessage(path, fault)
                                                  : "Unable to write file " + path + "!",
                    "Export error");
        return false;
    }
    if (!result.warning.empty()) ShowMessage(result.warning, "Export");
    return true;
}

bool AddHydrogensCommand() {
    std::string why;
    if (!MoleculeIsConsistent(&why)) {
        ShowMessage("Unable to add hydrogens: " + why, "Add Hydrogens");
        return false;
    }
    if (const HydrogensResult result = AddMissingHydrogens(molecule); !result.error.empty()) {
        ShowMessage("Unable to add hydrogens: " + result.error, "Add Hydrogens");
        return false;
    }
    return true;
}
