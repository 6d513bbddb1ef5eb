// The ids of the main window's commands (the menu items' ids, and Enter and
// Escape, which run a command of their own) and its shortcut keys.
#pragma once

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
