// Menu commands, shortcut keys and the menu's check marks.
#include "commands.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <utility>

#include "chemical_formats.h"
#include "colour_dialog.h"
#include "dialogs.h"
#include "dragging.h"
#include "editing.h"
#include "editing_commands.h"
#include "format_commands.h"
#include "format_io.h"
#include "installed_files.h"
#include "isolated_call.h"
#include "measurement.h"
#include "molecule.h"
#include "picture_export.h"
#include "program_end.h"
#include "prompts.h"
#include "recent_files.h"
#include "settings.h"
#include "shell_state.h"
#include "simulation.h"
#include "undo.h"
#include "view_choices.h"
#include "view_state.h"

namespace {

using namespace CommandId;

// The items that turn an option on and off, with the option each one shows.
struct OptionItem {
    int id;
    bool (*on)();
    void (*set)(bool);
};
const OptionItem kOptionItems[] = {
    {kSpecular, [] { return settings.Specular; }, [](bool on) { settings.Specular = on; }},
    {kInvertColours, [] { return settings.InvertColours; },
     [](bool on) { settings.InvertColours = on; }},
    {kSquash, [] { return settings.Squash; }, [](bool on) { settings.Squash = on; }},
    {kShadows, [] { return settings.Shadows; }, [](bool on) { settings.Shadows = on; }},
    {kDemo, [] { return viewState.demoSpin; }, [](bool on) { viewState.demoSpin = on; }},
    {kRunLayout, [] { return !shellState.paused; }, [](bool on) { shellState.paused = !on; }},
    {kSetControls, [] { return shellState.controlsDialog != nullptr; },
     [](bool on) { on ? ShowControlsDialog() : CloseControlsDialog(); }},
};

const OptionItem* OptionItemOf(int id) {
    for (const OptionItem& item : kOptionItems)
        if (item.id == id) return &item;
    return nullptr;
}

// The toggle rule: the option flips and the item's mark shows it.
bool Toggle(int id) {
    SetMenuMark(id, !MenuMark(id));
    return MenuMark(id);
}

void SetLabelMode(int mode) {
    viewState.labelMode = mode;
    ShowMenuMarks();
}

void SetTextSize(const TextSizeChoice& choice) {
    viewState.textSize = choice.size;
    ShowMenuMarks();
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
    if (!AskYesNo("Are you sure? You will lose any unsaved work!", "New molecule")) return;
    RecordUndoStep("New");
    NewMolecule();
    SetMoleculeFileName("");
    MarkMoleculeSaved();  // an empty molecule holds nothing to lose
}

void LoadChosenFile() {
    std::string path;
    if (ChooseFile(path, true) && LoadOwnMoleculeFile(path)) NoteRecentFile(path);
}

// Save offers the own format's filters and then each chemistry format's:
// a name with a chemistry extension is written in that format, as Export
// writes it, so that a file imported and saved again stays readable.
void SaveToChosenFile() {
    const std::string formats = FormatFilters();
    const std::string filters = "All (*);;Allowed Data Files (*.dat *.hpr)" +
                                formats.substr(std::min(formats.find(";;"), formats.size()));
    std::string path;
    if (ChooseFileOfFormats(path, false, filters) && WriteAnyMoleculeFile(path)) {
        SetMoleculeFileName(path);
        MarkMoleculeSaved();
        NoteRecentFile(path);
    }
}

// Undo and Redo wait while an atom is being dragged: that drag's step is
// taken from the molecule as it was when the button went down.
void UndoOrRedo(bool (*act)()) {
    if (shellState.dragStep) return;
    act();
    // The restored molecule may be smaller: indices past its end name no node.
    if (!IsNodeIndex(molecule.currentNode)) molecule.currentNode = -1;
    if (!IsNodeIndex(molecule.hoverNode)) molecule.hoverNode = -1;
}

// How a command is kept in the undo history.
enum class Step {
    None,     // not a change to the molecule
    Whole,    // replaces or writes the molecule whole, keeping its own step if any
    Changed,  // a step when the command changed the molecule
    Always,   // a step whatever it did (it moves atoms)
};

void RunAsStep(const char* name, Step kind, void (*run)()) {
    if (kind == Step::None || kind == Step::Whole) return run();
    UndoStep step = BeginUndoStep(name);
    run();
    if (kind == Step::Always)
        CommitUndoStep(std::move(step));
    else
        CommitUndoStepIfChanged(std::move(step));
}

// What runs for a command id or a key, and how it is kept in the undo history.
template <typename Key>
struct Binding {
    Key key;
    void (*run)();
    const char* step = nullptr;  // the undo step's name, for a change to the molecule
    Step kind = Step::None;
};

// Every command but the label modes and text sizes, which come from their
// own tables.
using Command = Binding<int>;
const Command kCommands[] = {
    {kEnter, AskToQuit},
    {kEscape, AskToQuit},
    {kExit, AskToQuit},
    {kNew, AskForNewMolecule, nullptr, Step::Whole},
    {kLoad, LoadChosenFile, nullptr, Step::Whole},
    {kSave, SaveToChosenFile, nullptr, Step::Whole},
    {kRename,
     [] { molecule.name = InputBox(shellState.mainWindow, "Rename this Molecule", molecule.name); },
     "Rename", Step::Changed},
    {kSetFormula,
     [] {
         molecule.formula =
             InputBox(shellState.mainWindow, "Enter formula for this molecule", molecule.formula);
     },
     "Set Formula", Step::Changed},
    {kAddNewAtom, AddNewAtomAsked, "Add Atom", Step::Changed},
    {kJoinAtoms, JoinAtomsCommand, "Join Atoms", Step::Changed},
    {kUnjoinAtoms, UnjoinAtomsCommand, "Unjoin Atoms", Step::Changed},
    {kSetControls, [] { Toggle(kSetControls); }},
    {kCheckMolecule, CheckMoleculeCommand},
    {kCloudColour, [] { OpenColourDialog(settings.CloudColour); }},
    {kBackgroundColour, [] { OpenColourDialog(settings.BackgroundColour); }},
    {kHighlightColour, [] { OpenColourDialog(settings.HighlightColour); }},
    {kElementColour, OpenCurrentElementColour},
    {kSelectColour, [] { OpenColourDialog(settings.SelectColour); }},
    {kTextColour, [] { OpenColourDialog(settings.TextColour); }},
    {kLinkColour, [] { OpenColourDialog(settings.LinkColour); }},
    {kSpecular, [] { Toggle(kSpecular); }},
    {kInvertColours, [] { Toggle(kInvertColours); }},
    {kSquash,
     [] {
         if (!Toggle(kSquash)) ReleaseSquash();
     }},
    {kShadows, [] { Toggle(kShadows); }},
    {kDemo, [] { Toggle(kDemo); }},
    {kRunLayout, [] { Toggle(kRunLayout); }},
    {kAbout, ShowAboutBox},
    {kWebsite, [] { QDesktopServices::openUrl(QUrl(QString::fromStdString(WebsiteAddress()))); }},
    {kImport, ImportFromChooser, nullptr, Step::Whole},
    {kExport, ExportToChooser, nullptr, Step::Whole},
    {kNewFromSmiles, NewFromSmilesAsked, nullptr, Step::Whole},
    {kAddHydrogens, [] { AddHydrogensCommand(); }, "Add Hydrogens", Step::Changed},
    {kExportPicture, ExportPictureAsked},
    {kUndo, [] { UndoOrRedo(Undo); }, nullptr, Step::Whole},
    {kRedo, [] { UndoOrRedo(Redo); }, nullptr, Step::Whole},
};

// The shortcut keys that run a menu command, as its item does.
struct KeyCommand {
    ShortcutKey key;
    int command;
};
const KeyCommand kKeyCommands[] = {
    {ShortcutKey::A, kAddNewAtom},  {ShortcutKey::D, kDemo},      {ShortcutKey::I, kInvertColours},
    {ShortcutKey::J, kJoinAtoms},   {ShortcutKey::P, kRunLayout}, {ShortcutKey::S, kShadows},
    {ShortcutKey::U, kUnjoinAtoms}, {ShortcutKey::CtrlZ, kUndo},  {ShortcutKey::CtrlShiftZ, kRedo},
    {ShortcutKey::CtrlY, kRedo},
};

// What the other shortcut keys do on release; the digits add atoms, below.
using KeyAction = Binding<ShortcutKey>;
const KeyAction kKeyActions[] = {
    {ShortcutKey::Escape,
     [] {
         if (!MayEndWithUnsavedChanges()) return;
         molecule.currentNode = -1;
         molecule.hoverNode = -1;
         EndProgram();
     }},
    {ShortcutKey::Delete,
     [] {
         if (molecule.currentNode != -1) RemoveNode(molecule.currentNode);
     },
     "Delete Atom", Step::Changed},
    {ShortcutKey::C, CentreMolecule, "Centre", Step::Always},
    {ShortcutKey::L,
     [] {
         if (molecule.currentNode != -1) ToggleCloud(molecule.currentNode);
     },
     "Toggle Cloud", Step::Changed},
    {ShortcutKey::O, OpenCurrentElementColour},
    {ShortcutKey::T, [] { SetLabelMode((viewState.labelMode + 1) % 3); }},
    {ShortcutKey::KeypadPlus,
     [] {
         if (molecule.currentNode != -1) ChangeCharge(molecule.currentNode, +1);
     },
     "Change Charge", Step::Changed},
    {ShortcutKey::KeypadMinus,
     [] {
         if (molecule.currentNode != -1) ChangeCharge(molecule.currentNode, -1);
     },
     "Change Charge", Step::Changed},
};

}  // namespace

bool MenuMark(int id) {
    if (const OptionItem* item = OptionItemOf(id)) return item->on();
    for (int mode = 0; mode < static_cast<int>(std::size(kLabelModes)); ++mode)
        if (kLabelModes[mode].commandId == id) return viewState.labelMode == mode;
    for (const TextSizeChoice& choice : kTextSizes)
        if (choice.commandId == id) return viewState.textSize == choice.size;
    return false;
}

void SetMenuMark(int id, bool marked) {
    if (const OptionItem* item = OptionItemOf(id); item && item->on() != marked) item->set(marked);
    ShowMenuMarks();
}

void ShowMenuMarks() {
    for (const auto& [id, action] : shellState.menuActions) {
        const bool marked = MenuMark(id);
        if (action->isChecked() == marked) continue;
        const bool blocked = action->blockSignals(true);
        action->setChecked(marked);
        action->blockSignals(blocked);
    }
}

void RegisterMenuAction(int id, QAction* action) {
    shellState.menuActions[id] = action;
    action->setCheckable(true);
    ShowMenuMarks();
}

void SetLayoutPaused(bool paused) {
    SetMenuMark(kRunLayout, !paused);
}

bool MayEndWithUnsavedChanges() {
    return !UnsavedChanges() || AskYesNo("Really Quit?", "Quit Program");
}

bool CommandRunsWhileChildWorks(int id) {
    for (const Command& command : kCommands)
        if (command.key == id) return command.kind == Step::None;
    return true;
}

bool HandleCommand(int id) {
    // Its menu item is greyed meanwhile. The ways out run: ending the program
    // gives up on the child.
    if (IsolatedWorkUnderWay() && !CommandRunsWhileChildWorks(id)) return true;
    for (const Command& command : kCommands)
        if (command.key == id) {
            RunAsStep(command.step, command.kind, command.run);
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
    // While a child works on the molecule only the keys that leave it alone
    // act (the view's, and the way out: ending the program gives up on the
    // child).
    const bool childWorks = IsolatedWorkUnderWay();
    const int digit = static_cast<int>(key) - static_cast<int>(ShortcutKey::Digit1);
    if (digit >= 0 && digit < 9) {
        if (childWorks) return;
        UndoStep step = BeginUndoStep("Add Atom");
        AddNode(molecule.currentNode, digit);
        CommitUndoStepIfChanged(std::move(step));
        return;
    }
    for (const KeyCommand& shortcut : kKeyCommands)
        if (shortcut.key == key) HandleCommand(shortcut.command);
    for (const KeyAction& action : kKeyActions)
        if (action.key == key && (!childWorks || action.kind == Step::None))
            RunAsStep(action.step, action.kind, action.run);
}

std::string UndoItemText() {
    return CanUndo() ? "U&ndo " + UndoCommandName() : "U&ndo";
}

std::string RedoItemText() {
    return CanRedo() ? "Re&do " + RedoCommandName() : "Re&do";
}

std::string StatusLineText() {
    std::size_t links = 0;
    for (const Node& node : molecule.nodes) links += node.neighbours.size();
    links /= 2;
    const std::size_t atoms = molecule.nodes.size();
    std::string file = MoleculeFileName().empty()
                           ? std::string("Untitled")
                           : std::filesystem::path(MoleculeFileName()).filename().string();
    if (UnsavedChanges()) file += " *";
    std::string text = file + "   " + std::to_string(atoms) +
                       (atoms == 1 ? " atom, " : " atoms, ") + std::to_string(links) +
                       (links == 1 ? " link   " : " links   ") +
                       (shellState.paused ? "Paused" : "Layout running");
    const std::string measured = SelectionMeasurementText();
    if (!measured.empty()) text += "   " + measured;
    return text;
}
