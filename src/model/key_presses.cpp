// Which key releases act as shortcuts.
#include "key_presses.h"

bool KeyPressReceived(KeyPressRecord& record, unsigned key, unsigned long time) {
    const auto heldBack = record.heldBack.find(key);
    if (heldBack != record.heldBack.end()) {
        const bool repeat = time != 0 && time == heldBack->second;
        record.heldBack.erase(heldBack);
        // A repeat leaves the key held; otherwise the release was real and
        // this press starts a new one.
        return !repeat;
    }
    // Already held: the repeat sends presses only, or a press came twice.
    record.held.insert(key);
    return false;
}

bool KeyReleaseReceived(KeyPressRecord& record, unsigned key, unsigned long time, bool stillDown) {
    if (!record.held.count(key)) return false;
    if (stillDown) {
        record.heldBack[key] = time;
        return false;
    }
    record.held.erase(key);
    record.heldBack.erase(key);
    return true;
}

void KeyWentElsewhere(KeyPressRecord& record, unsigned key) {
    record.held.erase(key);
    record.heldBack.erase(key);
}
