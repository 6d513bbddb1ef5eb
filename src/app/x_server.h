// What only the X server can tell the window, asked directly over its
// connection. Off X (Wayland, offscreen) each answers false.
#pragma once

class QKeyEvent;
class QWidget;

// Whether the keyboard holds the event's key now: true between the release
// and the press that the X server's key repeat sends. False where that
// cannot be told, and off X, where the repeat is Qt's own and marked as such.
bool KeyStillDown(const QKeyEvent* event);

// Whether the window manager holds the window maximised in both directions,
// read from the X server now. Qt's own state can lag behind the sizes: under
// openbox a maximised window's new size arrives while Qt still reports it
// normal, and would be taken for the restored size.
bool ServerSaysMaximised(const QWidget* window);
