// Menu commands, shortcut keys and the menu's check marks.
#include "commands.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>

#include "chemical_formats.h"
#include "colour_dialog.h"
#include "dialogs.h"
#include "dragging.h"
#include "editing.h"
#include "format_commands.h"
#include "molecule.h"
#include "molecule_file.h"
#include "picture_export.h"
#include "prompts.h"
#include "recent_files.h"
#include "settings.h"
#include "shell_state.h"
#include "simulation.h"
#include "view_choices.h"
#include "view_state.h"

namespace {

// The toggle rule: the item's mark flips and the option follows the new mark.
bool Toggle(int id) {
    const bool marked = !MenuMark(id);
    SetMenuMark(id, marked);
    return marked;
}

void SetLabelMode(int mode) {
    viewState.labelMode = mode;
    for (int other = 0; other < static_cast<int>(std::size(kLabelModes)); ++other)
        SetMenuMark(kLabelModes[other].commandId, other == mode);
}

void SetTextSize(const TextSizeChoice& choice) {
    viewState.textSize = choice.size;
    for (const TextSizeChoice& other : kTextSizes)
        SetMenuMark(other.commandId, other.commandId == choice.commandId);
}

bool HasCurrentNode() {
    return IsNodeIndex(molecule.currentNode);
}

// The colour of the current node's element, which every atom of that element shares.
void OpenCurrentElementColour() {
    if (!HasCurrentNode()) return;
    Element* element = molecule.nodes[molecule.currentNode].element;
    if (element) OpenColourDialog(element->colour);
}

void AskToQuit() {
    if (AskYesNo("Really Quit?", "Quit Program")) EndProgram();
}

void AskForNewMolecule() {
    if (AskYesNo("Are you sure? You will lose any unsaved work!", "New molecule")) NewMolecule();
}

using namespace CommandId;

// Every command but the label modes and text sizes, which come from their
// own tables.
struct Command {
    int id;
    void (*run)();
};
const Command kCommands[] = {
    {kEnter, AskToQuit},
    {kEscape, AskToQuit},
    {kExit, AskToQuit},
    {kNew, AskForNewMolecule},
    {kLoad,
     [] {
         std::string path;
         if (ChooseFile(path, true) && LoadMoleculeFile(path)) NoteRecentFile(path);
     }},
    {kSave,
     [] {
         std::string path;
         if (ChooseFile(path, false) && SaveMoleculeFile(path)) NoteRecentFile(path);
     }},
    {kRename,
     [] {
         molecule.name = InputBox(shellState.mainWindow, "Rename this Molecule", molecule.name);
     }},
    {kSetFormula,
     [] {
         molecule.formula =
             InputBox(shellState.mainWindow, "Enter formula for this molecule", molecule.formula);
     }},
    {kAddNewAtom, [] { AddNewAtom(molecule.currentNode); }},
    {kJoinAtoms, JoinSelectedNodes},
    {kUnjoinAtoms, UnjoinSelectedNodes},
    {kSetControls, [] { Toggle(kSetControls) ? ShowControlsDialog() : CloseControlsDialog(); }},
    {kCheckMolecule, CheckMolecule},
    {kCloudColour, [] { OpenColourDialog(settings.CloudColour); }},
    {kBackgroundColour, [] { OpenColourDialog(settings.BackgroundColour); }},
    {kHighlightColour, [] { OpenColourDialog(settings.HighlightColour); }},
    {kElementColour, OpenCurrentElementColour},
    {kSelectColour, [] { OpenColourDialog(settings.SelectColour); }},
    {kTextColour, [] { OpenColourDialog(settings.TextColour); }},
    {kLinkColour, [] { OpenColourDialog(settings.LinkColour); }},
    {kSpecular, [] { settings.Specular = Toggle(kSpecular); }},
    {kInvertColours, [] { settings.InvertColours = Toggle(kInvertColours); }},
    {kSquash,
     [] {
         settings.Squash = Toggle(kSquash);
         if (!settings.Squash) ReleaseSquash();
     }},
    {kShadows, [] { settings.Shadows = Toggle(kShadows); }},
    {kDemo, [] { viewState.demoSpin = Toggle(kDemo); }},
    {kAbout, ShowAboutBox},
    {kWebsite, [] { QDesktopServices::openUrl(QUrl(QString::fromStdString(WebsiteAddress()))); }},
    {kImport, ImportFromChooser},
    {kExport, ExportToChooser},
    {kNewFromSmiles, NewFromSmilesAsked},
    {kAddHydrogens, [] { AddHydrogensCommand(); }},
    {kExportPicture, ExportPictureAsked},
};

// What each shortcut key does on release; the digits add atoms, below.
struct KeyAction {
    ShortcutKey key;
    void (*run)();
};
const KeyAction kKeyActions[] = {
    {ShortcutKey::Escape,
     [] {
         molecule.currentNode = -1;
         molecule.hoverNode = -1;
         EndProgram();
     }},
    {ShortcutKey::Delete,
     [] {
         if (molecule.currentNode != -1) RemoveNode(molecule.currentNode);
     }},
    {ShortcutKey::A, [] { AddNewAtom(molecule.currentNode); }},
    {ShortcutKey::C, CentreMolecule},
    {ShortcutKey::D, [] { viewState.demoSpin = Toggle(kDemo); }},
    {ShortcutKey::I, [] { settings.InvertColours = Toggle(kInvertColours); }},
    {ShortcutKey::J, JoinSelectedNodes},
    {ShortcutKey::L,
     [] {
         if (molecule.currentNode != -1) ToggleCloud(molecule.currentNode);
     }},
    {ShortcutKey::O, OpenCurrentElementColour},
    {ShortcutKey::P, [] { shellState.paused = !shellState.paused; }},
    {ShortcutKey::S, [] { settings.Shadows = Toggle(kShadows); }},
    {ShortcutKey::T, [] { SetLabelMode((viewState.labelMode + 1) % 3); }},
    {ShortcutKey::U, UnjoinSelectedNodes},
    {ShortcutKey::KeypadPlus,
     [] {
         if (molecule.currentNode != -1) ChangeCharge(molecule.currentNode, +1);
     }},
    {ShortcutKey::KeypadMinus,
     [] {
         if (molecule.currentNode != -1) ChangeCharge(molecule.currentNode, -1);
     }},
};

}  // namespace

bool MenuMark(int id) {
    const auto found = shellState.menuMarks.find(id);
    return found != shellState.menuMarks.end() && found->second;
}

void SetMenuMark(int id, bool marked) {
    shellState.menuMarks[id] = marked;
    const auto found = shellState.menuActions.find(id);
    if (found != shellState.menuActions.end() && found->second->isChecked() != marked) {
        const bool blocked = found->second->blockSignals(true);
        found->second->setChecked(marked);
        found->second->blockSignals(blocked);
    }
}

void RegisterMenuAction(int id, QAction* action) {
    shellState.menuActions[id] = action;
    action->setCheckable(true);
    SetMenuMark(id, MenuMark(id));
}

std::string WebsiteAddress() {
    return TESSARIL_WEBSITE;
}

bool HandleCommand(int id) {
    for (const Command& command : kCommands)
        if (command.id == id) {
            command.run();
            return true;
        }
    for (int mode = 0; mode < static_cast<int>(std::size(kLabelModes)); ++mode)
        if (kLabelModes[mode].commandId == id) {
            SetLabelMode(mode);
            return true;
        }
    for (const TextSizeChoice& choice : kTextSizes)
        if (choice.commandId == id) {
            SetTextSize(choice);
            return true;
        }
    return false;
}

void HandleKey(ShortcutKey key) {
    const int digit = static_cast<int>(key) - static_cast<int>(ShortcutKey::Digit1);
    if (digit >= 0 && digit < 9) {
        AddNode(molecule.currentNode, digit);
        return;
    }
    for (const KeyAction& action : kKeyActions)
        if (action.key == key) action.run();
}
