// Import, Export and New from SMILES: a chooser or an input box in front of
// the chemistry formats' commands.
#include "format_commands.h"

#include "chemical_formats.h"
#include "dialogs.h"
#include "format_io.h"
#include "prompts.h"
#include "recent_files.h"
#include "shell_state.h"

void ImportFromChooser() {
    std::string path;
    if (ChooseFileOfFormats(path, true, FormatFilters())) {
        if (LoadAnyMoleculeFile(path, true)) NoteRecentFile(path);
    }
}

void ExportToChooser() {
    std::string path;
    if (ChooseFileOfFormats(path, false, FormatFilters())) {
        if (ExportMoleculeCommand(path)) NoteRecentFile(path);
    }
}

void NewFromSmilesAsked() {
    std::string smiles = InputBox(shellState.mainWindow, "Enter a SMILES string", "");
    const size_t first = smiles.find_first_not_of(" \t");
    if (first == std::string::npos) return;  // cancelled, or nothing typed
    smiles = smiles.substr(first, smiles.find_last_not_of(" \t") - first + 1);
    LoadFromSmiles(smiles, true);
}
