// Which key releases act as shortcuts in the main window, free of any
// window system. A shortcut acts once per physical press and release: only
// when the main window also received the key's press (a release that ends a
// press made in a menu, a dialog or a message box does nothing), and not
// for the presses and releases that the X server's key repeat adds while the
// key is held. That repeat sends, per repeat, a release and a press with the
// same time, or only presses when detectable repeat is on; the window tells
// whether the keyboard still holds the key at each release. A shortcut
// with a modifier takes the modifiers held at its key's press: people let
// Ctrl go before the letter as often as after.
#pragma once

#include <map>

struct KeyPressRecord {
    // Keys whose press the main window received and whose release it has not
    // acted on, by the window system's key identity, with the window
    // system's modifier bits held at that press.
    std::map<unsigned, unsigned> held;
    // Of those, keys whose last release came while the keyboard still held
    // them, with that release's time: a repeat, unless the next press comes
    // at another time.
    std::map<unsigned, unsigned long> heldBack;
};

// A press received by the main window, at time (milliseconds, 0 when the
// window system gives none), with the modifiers held. True when a release
// held back as a repeat has turned out to be real: its action is due now,
// before this press, with the modifiers of the press it ended (into ended).
bool KeyPressReceived(KeyPressRecord& record, unsigned key, unsigned long time,
                      unsigned modifiers = 0, unsigned* ended = nullptr);
// A release received by the main window. True when it ends a press that the
// main window received and the key is up: the shortcut acts, with the
// modifiers of that press (into pressed).
bool KeyReleaseReceived(KeyPressRecord& record, unsigned key, unsigned long time, bool stillDown,
                        unsigned* pressed = nullptr);
// A press or release of key that went to another window of the program.
void KeyWentElsewhere(KeyPressRecord& record, unsigned key);
