// The main window's menu commands and shortcut keys, and the check marks of
// the menu that the toggles keep in step with the options they show.
#pragma once

#include <string>

#include "command_ids.h"

class QAction;

// Runs the command with this id; false for an id the program does not know.
// While a child process works for the window, the commands that would change
// the molecule or start another child are refused; ending the program gives
// up on the child.
bool HandleCommand(int id);
// Whether the command with this id runs while a child process works.
bool CommandRunsWhileChildWorks(int id);

// Acts on the release of a shortcut key.
void HandleKey(ShortcutKey key);

// The text of the Undo and Redo items, "U&ndo Join Atoms" or "U&ndo" when
// there is nothing to undo, and whether they can act.
std::string UndoItemText();
std::string RedoItemText();
// The status bar's line: the file's name, the atom and link counts, whether
// the layout runs, and the measurement of two to four selected atoms.
std::string StatusLineText();

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
