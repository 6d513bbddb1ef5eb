// What a key of the main window means: the shortcut a release stands for,
// the view keys that the frame samples while held, and the physical key an
// event comes from.
#pragma once

#include <Qt>

#include "command_ids.h"

class QKeyEvent;

// The keys that the frame samples rather than acting on release.
enum ViewKey { kFullStop, kComma, kUp, kDown };

bool ShiftHeld(Qt::KeyboardModifiers modifiers);
bool CtrlHeld(Qt::KeyboardModifiers modifiers);

// The view key of an event, or -1 when it is none.
int ViewKeyOf(const QKeyEvent* event);

// The shortcut of a released key pressed with the given modifiers, or false
// when it has none. With Ctrl, Z and Y undo and redo and nothing else.
bool ShortcutOf(const QKeyEvent* event, Qt::KeyboardModifiers pressed, ShortcutKey& key);

// The physical key of an event: the X key code, or Qt's key code where the
// window system gives none.
unsigned KeyIdentity(const QKeyEvent* event);
