// Which key releases act as shortcuts.
#include "key_presses.h"

bool KeyPressReceived(KeyPressRecord& record, unsigned key, unsigned long time, unsigned modifiers,
                      unsigned* ended) {
    const auto heldBack = record.heldBack.find(key);
    if (heldBack != record.heldBack.end()) {
        const bool repeat = time != 0 && time == heldBack->second;
        record.heldBack.erase(heldBack);
        // A repeat leaves the key held as it was pressed; otherwise the
        // release was real and this press starts a new one.
        if (repeat) return false;
        if (ended) *ended = record.held[key];
        record.held[key] = modifiers;
        return true;
    }
    // Already held: the repeat sends presses only, or a press came twice
    // (its release went elsewhere); the newest press counts.
    record.held[key] = modifiers;
    return false;
}

bool KeyReleaseReceived(KeyPressRecord& record, unsigned key, unsigned long time, bool stillDown,
                        unsigned* pressed) {
    const auto held = record.held.find(key);
    if (held == record.held.end()) return false;
    if (stillDown) {
        record.heldBack[key] = time;
        return false;
    }
    if (pressed) *pressed = held->second;
    record.held.erase(held);
    record.heldBack.erase(key);
    return true;
}

void KeyWentElsewhere(KeyPressRecord& record, unsigned key) {
    record.held.erase(key);
    record.heldBack.erase(key);
}
