#include "key_bindings.h"

#include <QKeyEvent>

namespace {

// Scan codes of the X keyboard (evdev) for keys whose character changes with
// Shift: the main-keyboard digits 1 to 9, the comma and the full stop.
constexpr quint32 kScanDigit1 = 10;
constexpr quint32 kScanDigit9 = 18;
constexpr quint32 kScanComma = 59;
constexpr quint32 kScanFullStop = 60;

// Where the numeric keypad stands for a shortcut key.
enum class Keypad { Either, Never, Only };

struct KeyBinding {
    int qtKey;
    Keypad keypad;
    ShortcutKey key;
};
// The shortcut keys by Qt key code. The digits count on the main keyboard
// only; with Shift they are also found by their place (scan code), below.
const KeyBinding kKeyBindings[] = {
    {Qt::Key_Escape, Keypad::Either, ShortcutKey::Escape},
    {Qt::Key_Delete, Keypad::Either, ShortcutKey::Delete},
    {Qt::Key_1, Keypad::Never, ShortcutKey::Digit1},
    {Qt::Key_2, Keypad::Never, ShortcutKey::Digit2},
    {Qt::Key_3, Keypad::Never, ShortcutKey::Digit3},
    {Qt::Key_4, Keypad::Never, ShortcutKey::Digit4},
    {Qt::Key_5, Keypad::Never, ShortcutKey::Digit5},
    {Qt::Key_6, Keypad::Never, ShortcutKey::Digit6},
    {Qt::Key_7, Keypad::Never, ShortcutKey::Digit7},
    {Qt::Key_8, Keypad::Never, ShortcutKey::Digit8},
    {Qt::Key_9, Keypad::Never, ShortcutKey::Digit9},
    {Qt::Key_A, Keypad::Either, ShortcutKey::A},
    {Qt::Key_C, Keypad::Either, ShortcutKey::C},
    {Qt::Key_D, Keypad::Either, ShortcutKey::D},
    {Qt::Key_I, Keypad::Either, ShortcutKey::I},
    {Qt::Key_J, Keypad::Either, ShortcutKey::J},
    {Qt::Key_L, Keypad::Either, ShortcutKey::L},
    {Qt::Key_O, Keypad::Either, ShortcutKey::O},
    {Qt::Key_P, Keypad::Either, ShortcutKey::P},
    {Qt::Key_S, Keypad::Either, ShortcutKey::S},
    {Qt::Key_T, Keypad::Either, ShortcutKey::T},
    {Qt::Key_U, Keypad::Either, ShortcutKey::U},
    {Qt::Key_Plus, Keypad::Only, ShortcutKey::KeypadPlus},
    {Qt::Key_Minus, Keypad::Only, ShortcutKey::KeypadMinus},
};

}  // namespace

bool ShiftHeld(Qt::KeyboardModifiers modifiers) {
    return modifiers & Qt::ShiftModifier;
}

bool CtrlHeld(Qt::KeyboardModifiers modifiers) {
    return modifiers & Qt::ControlModifier;
}

int ViewKeyOf(const QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Period:
        case Qt::Key_Greater:
            return kFullStop;
        case Qt::Key_Comma:
        case Qt::Key_Less:
            return kComma;
        case Qt::Key_Up:
            return kUp;
        case Qt::Key_Down:
            return kDown;
        default:
            break;
    }
    if (event->nativeScanCode() == kScanFullStop) return kFullStop;
    if (event->nativeScanCode() == kScanComma) return kComma;
    return -1;
}

bool ShortcutOf(const QKeyEvent* event, Qt::KeyboardModifiers pressed, ShortcutKey& key) {
    if (CtrlHeld(pressed) && (event->key() == Qt::Key_Z || event->key() == Qt::Key_Y)) {
        key = event->key() == Qt::Key_Y ? ShortcutKey::CtrlY
              : ShiftHeld(pressed)      ? ShortcutKey::CtrlShiftZ
                                        : ShortcutKey::CtrlZ;
        return true;
    }
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    for (const KeyBinding& binding : kKeyBindings)
        if (binding.qtKey == event->key() &&
            (binding.keypad == Keypad::Either || (binding.keypad == Keypad::Only) == keypad)) {
            key = binding.key;
            return true;
        }
    const quint32 scan = event->nativeScanCode();
    if (scan >= kScanDigit1 && scan <= kScanDigit9 && !keypad) {
        key = static_cast<ShortcutKey>(static_cast<int>(ShortcutKey::Digit1) +
                                       static_cast<int>(scan - kScanDigit1));
        return true;
    }
    return false;
}

unsigned KeyIdentity(const QKeyEvent* event) {
    const quint32 scan = event->nativeScanCode();
    return scan != 0 ? scan : 0x80000000u | static_cast<unsigned>(event->key());
}
