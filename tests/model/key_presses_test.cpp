// Which key releases act: once per physical press and release, and only
// after a press that the main window received.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "key_presses.h"

namespace {

struct KeyEvent {
    char what;  // 'P' press, 'R' release with the key up, 'D' release with it still down,
                // 'E' a press or release in another window
    unsigned long time;
};

int ActionsFor(const std::vector<KeyEvent>& events) {
    KeyPressRecord record;
    int actions = 0;
    for (const KeyEvent& e : events) {
        if (e.what == 'P') actions += KeyPressReceived(record, 7, e.time);
        if (e.what == 'R' || e.what == 'D')
            actions += KeyReleaseReceived(record, 7, e.time, e.what == 'D');
        if (e.what == 'E') KeyWentElsewhere(record, 7);
    }
    return actions;
}

TEST(KeyPressesTest, OneActionPerPhysicalPressAndRelease) {
    struct Case {
        const char* name;
        std::vector<KeyEvent> events;
        int actions;
    };
    const Case cases[] = {
        {"press and release", {{'P', 10}, {'R', 20}}, 1},
        {"held: repeat pairs",
         {{'P', 10}, {'D', 500}, {'P', 500}, {'D', 530}, {'P', 530}, {'R', 900}},
         1},
        {"held: detectable repeat", {{'P', 10}, {'P', 500}, {'P', 530}, {'R', 900}}, 1},
        {"release without a press", {{'R', 10}}, 0},
        {"pressed here, pressed again in a box", {{'P', 10}, {'E', 20}, {'R', 30}}, 0},
        {"second press already down at the first release",
         {{'P', 10}, {'D', 20}, {'P', 25}, {'R', 40}},
         2},
        {"no times given", {{'P', 0}, {'R', 0}, {'P', 0}, {'R', 0}}, 2},
    };
    for (const Case& c : cases) EXPECT_EQ(ActionsFor(c.events), c.actions) << c.name;
}

}  // namespace
