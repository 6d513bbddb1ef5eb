// The main window's menu commands and shortcut keys, and the check marks of
// the menu that the toggles keep in step with the options they show.
#pragma once

#include <string>

class QAction;

namespace CommandId {
constexpr int kEnter = 1;
constexpr int kEscape = 2;
constexpr int kNew = 40023;
constexpr int kLoad = 40003;
constexpr int kSave = 40004;
constexpr int kExit = 40006;
constexpr int kRename = 40027;
constexpr int kSetFormula = 40043;
constexpr int kAddNewAtom = 40054;
constexpr int kJoinAtoms = 40052;
constexpr int kUnjoinAtoms = 40051;
constexpr int kSetControls = 40046;
constexpr int kCheckMolecule = 40028;
constexpr int kCloudColour = 40058;
constexpr int kBackgroundColour = 40029;
constexpr int kHighlightColour = 40031;
constexpr int kElementColour = 40056;
constexpr int kSelectColour = 40030;
constexpr int kTextColour = 40032;
constexpr int kLinkColour = 40034;
constexpr int kLabelsNone = 40038;
constexpr int kLabelsSymbols = 40039;
constexpr int kLabelsFullNames = 40041;
constexpr int kSizeTiny = 40065;
constexpr int kSizeSmall = 40066;
constexpr int kSizeNormal = 40067;
constexpr int kSizeLarge = 40068;
constexpr int kSizeHuge = 40069;
constexpr int kSpecular = 40047;
constexpr int kInvertColours = 40017;
constexpr int kSquash = 40021;
constexpr int kShadows = 40016;
constexpr int kDemo = 40019;
constexpr int kAbout = 40001;
constexpr int kWebsite = 40002;
// The chemistry formats' commands.
constexpr int kImport = 40121;
constexpr int kExport = 40122;
constexpr int kNewFromSmiles = 40123;
constexpr int kAddHydrogens = 40124;
// Pictures of the view.
constexpr int kExportPicture = 40151;
// Undo and redo.
constexpr int kUndo = 40201;
constexpr int kRedo = 40202;
// The layout's run, as P flips it.
constexpr int kRunLayout = 40211;
}  // namespace CommandId

// Runs the command with this id; false for an id the program does not know.
// While a child process works for the window, the commands that would change
// the molecule or start another child are refused; ending the program gives
// up on the child.
bool HandleCommand(int id);
// Whether the command with this id runs while a child process works.
bool CommandRunsWhileChildWorks(int id);

// Key codes of the release shortcuts, independent of the window system.
enum class ShortcutKey {
    Escape,
    Delete,
    Digit1,
    Digit2,
    Digit3,
    Digit4,
    Digit5,
    Digit6,
    Digit7,
    Digit8,
    Digit9,
    A,
    C,
    D,
    I,
    J,
    L,
    O,
    P,
    S,
    T,
    U,
    KeypadPlus,
    KeypadMinus,
    CtrlZ,       // undo
    CtrlShiftZ,  // redo, as is CtrlY
    CtrlY
};
// Acts on the release of a shortcut key.
void HandleKey(ShortcutKey key);

// The text of the Undo and Redo items, "U&ndo Join Atoms" or "U&ndo" when
// there is nothing to undo, and whether they can act.
std::string UndoItemText();
std::string RedoItemText();
// The status bar's line: the file's name, the atom and link counts, whether
// the layout runs, and the measurement of two to four selected atoms.
std::string StatusLineText();
// The step that a drag of an atom makes, taken as the left button goes down
// on the atom and kept when it is released after the atom moved.
void BeginAtomDrag();
void NoteAtomDragged();
void EndAtomDrag();

// The check mark of a menu item. Each mark shows an option (a setting, the
// label mode, the layout's pause, whether Set Controls is open), which is its
// one record: the mark is read from the option, and setting the mark sets
// the option.
bool MenuMark(int id);
void SetMenuMark(int id, bool marked);
// Connects a menu item's action so that it shows the item's mark.
void RegisterMenuAction(int id, QAction* action);
// Brings every registered item's mark up to date with its option.
void ShowMenuMarks();

// Stops or starts the layout, as P and "Run &Layout" do.
void SetLayoutPaused(bool paused);

// Asks "Really Quit?" when there are unsaved changes; true when the program
// may end (no changes, or Yes).
bool MayEndWithUnsavedChanges();
