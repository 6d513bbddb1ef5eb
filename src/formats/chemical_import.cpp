// Importing: a file or text in one of the formats read by the library in a
// child process, a molecule built from SMILES, and taking the molecule read
// into the process-wide one.
#include "chemical_formats.h"

#include <exception>
#include <filesystem>
#include <sstream>

#include <openbabel/builder.h>
#include <openbabel/forcefield.h>
#include <openbabel/obconversion.h>

#include "atomic_write.h"
#include "internal/input_checks.h"
#include "internal/library_guard.h"
#include "internal/molecule_mapping.h"
#include "isolated_call.h"

using namespace formats_internal;

namespace {

// Builds mol in 3D with its hydrogens and tidies it with a short force-field
// run; false when the builder fails.
bool BuildIn3D(ob::OBMol& mol) {
    mol.AddHydrogens();
    ob::OBBuilder builder;
    if (!builder.Build(mol, false)) return false;
    mol.SetDimension(3);
    for (const char* name : {"MMFF94", "UFF"}) {
        ob::OBForceField* field = ob::OBForceField::FindForceField(name);
        if (!field) continue;
        field->SetLogLevel(OBFF_LOGLVL_NONE);
        if (!field->Setup(mol)) continue;
        field->ConjugateGradients(250);
        field->GetCoordinates(mol);
        break;
    }
    return true;
}

// The library's read of text, run in a child process by ImportMoleculeText.
LibraryMolecule ReadInLibrary(std::string_view text, ChemicalFormat format) {
    LibraryMolecule taken;
    LibraryCall call;
    ob::OBConversion conversion;
    ob::OBMol mol;
    std::istringstream in{std::string(text)};
    try {
        if (!conversion.SetInFormat(OpenBabelId(format)) || !conversion.Read(&mol, &in) ||
            mol.NumAtoms() == 0) {
            taken.error = "There are no atoms in it.";
            return taken;
        }
        if (format == ChemicalFormat::Smiles && !BuildIn3D(mol)) {
            taken.error = "No 3D structure could be built for it.";
            return taken;
        }
        return TakeFromLibrary(mol);
    } catch (const std::exception&) {
        // The library's readers throw on some malformed lines (a record cut
        // short, a number out of range).
        taken.error = kUnreadable;
        return taken;
    }
}

}  // namespace

ImportResult ImportMoleculeText(std::string_view given, ChemicalFormat format,
                                const std::string& activity) {
    ImportResult result;
    if (!OnInterfaceThread(result.error)) return result;
    const std::string fed = WithLineFeeds(given);
    std::string_view text = fed;
    result.error = InputError(text, format);
    if (!result.error.empty()) return result;
    if (format == ChemicalFormat::Smiles) {
        const std::string_view line = LineAt(text.substr(text.find_first_not_of(" \t\r\n")), 0);
        if (line.size() > kMaxSmilesLength) {
            result.error = "The SMILES string is longer than " + std::to_string(kMaxSmilesLength) +
                           " characters.";
            return result;
        }
        text = line;
    }
    // The library's readers are not safe against every malformed file (a
    // CML atom with a negative hydrogen count crashes one), so they run in a
    // child process and only the molecule they read comes back.
    PrepareLibrary();
    const IsolatedOutcome outcome =
        RunIsolated([&] { return Encode(ReadInLibrary(text, format)); }, kReadTimeLimit, activity);
    LibraryMolecule taken;
    if (!outcome.finished) {
        result.cancelled = outcome.cancelled;
        result.error = outcome.tooLarge ? "It is too large to read."
                                        : "It could not be read: " + outcome.why + ".";
        return result;
    }
    if (!Decode(outcome.bytes, taken)) {
        result.error = kUnreadable;
        return result;
    }
    if (!taken.error.empty()) {
        result.error = taken.error;
        return result;
    }
    FromLibrary(taken, result);
    if (!result.error.empty()) result.molecule = Molecule{};
    if (format == ChemicalFormat::Pdb && result.error.empty() && CleanTitle(taken.title).empty()) {
        const std::string title = PdbTitle(text);
        if (!title.empty()) result.molecule.name = title;
    }
    return result;
}

int ReadWithLibraryOnly(std::string_view text, ChemicalFormat format) {
    std::string error;
    if (!OnInterfaceThread(error)) return 0;
    return static_cast<int>(ReadInLibrary(text, format).atoms.size());
}

ImportResult ImportMoleculeFile(const std::string& path) {
    ImportResult result;
    const ChemicalFormatInfo* format = FormatOfPath(path);
    std::string text;
    if (!format) {
        result.error = "Unable to import " + path + ": its extension is not one of the formats.";
    } else if (std::error_code error; std::filesystem::is_regular_file(path, error) &&
                                      std::filesystem::file_size(path, error) > kMaxInputBytes) {
        result.error = "Unable to import " + path + ": it is larger than 256 MB.";
    } else if (!ReadWholeFile(path, text)) {
        result.error = OpenFailureText(path);
    } else {
        const size_t slash = path.find_last_of('/');
        result = ImportMoleculeText(
            text, format->format,
            "Importing " + path.substr(slash == std::string::npos ? 0 : slash + 1));
        if (!result.error.empty())
            result.error = "Unable to import " + path + " as " + std::string(format->label) + ": " +
                           result.error;
        else if (result.molecule.name == Molecule{}.name &&
                 format->format != ChemicalFormat::Smiles) {
            const size_t slash = path.find_last_of('/');
            std::string stem = path.substr(slash == std::string::npos ? 0 : slash + 1);
            stem.resize(stem.rfind('.'));
            if (!stem.empty()) result.molecule.name = CleanTitle(stem);
        }
    }
    return result;
}

ImportResult BuildFromSmiles(std::string_view smiles) {
    ImportResult result =
        ImportMoleculeText(smiles, ChemicalFormat::Smiles, "Building from SMILES");
    if (result.error.empty() && result.molecule.name == Molecule{}.name)
        result.molecule.name = CleanTitle(std::string(smiles));
    return result;
}

void TakeImportedMolecule(Molecule&& imported) {
    molecule.ready = false;
    molecule.nodes = std::move(imported.nodes);
    molecule.name = std::move(imported.name);
    molecule.formula = std::move(imported.formula);
    molecule.currentNode = -1;
    molecule.hoverNode = -1;
    molecule.dragging = false;
    molecule.ready = true;
}
