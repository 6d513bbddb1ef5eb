// What the window shell keeps between events, as part of the program's state
// record: the main window, the open dialogs, the menu's check marks, the
// keys and pointer, the pause flag, a child's wait and how the program is
// ending. The window's Qt objects are only pointed at from here; the model
// never uses them.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "colour.h"
#include "exit_status.h"
#include "key_presses.h"
#include "pointer_input.h"
#include "undo.h"

class QAction;
class QEventLoop;
class QWidget;

// One open colour dialog and the colour it edits in place.
struct ColourDialogRecord {
    QWidget* dialog = nullptr;  // the dialog window; the key the record is found by
    Colour saved;               // the colour as it was when the dialog opened
    Colour* target = nullptr;   // a colour of the settings or of an element
};

// Shows that activity has run for seconds, with the Cancel button; a negative
// seconds hides both. False when there is no window to show it in: the wait
// then goes on as the command line's does.
using ChildWorkDisplay = std::function<bool(const std::string& activity, long long seconds)>;

// The window's wait for a child process at work (child_wait.h).
struct ChildWait {
    ChildWorkDisplay display;                 // the window's status bar
    std::string activity;                     // what the child does, for the status bar
    bool cancelled = false;                   // given up on: the next wake ends the wait
    QEventLoop* loop = nullptr;               // the wait's event loop while it runs
    std::vector<std::function<void()>> then;  // to run once the child has ended
};

struct ShellState {
    QWidget* mainWindow = nullptr;                  // null until the main window exists
    QWidget* controlsDialog = nullptr;              // the open Set Controls dialog, or null
    std::vector<ColourDialogRecord> colourDialogs;  // open colour dialogs, oldest first
    KeyPressRecord keys;                            // shortcut keys pressed in the main window
    PointerState pointer;                           // last pointer position seen, right button held
    bool paused = false;                            // layout simulation stopped by P
    std::string chooserFolder;         // where the next file chooser opens: the last one's folder
    std::optional<UndoStep> dragStep;  // an atom drag under way: the molecule before it
    bool atomMoved = false;            // that drag has moved the atom
    std::map<int, QAction*> menuActions;  // the markable items of the menu, by command id
    bool ended = false;                   // the program has begun to end: settings written
    int exitStatus = kExitNormal;         // what the event loop returns
    // Called when the Set Controls dialog closes by itself (its close box), so
    // the menu mark can follow.
    std::function<void()> controlsDialogClosed;
    // Called when a molecule arrives from outside the own format (an import,
    // a SMILES build): the window pauses the layout, so the file's geometry
    // stays as it was.
    std::function<void()> outsideMoleculeArrived;
    ChildWait childWait;  // a child process at work for the window
    // Stops the main window's timers as the program ends; set with mainWindow.
    std::function<void()> stopWindowTimers;
};

// The one shell state of the process: program.shell.
extern ShellState& shellState;
