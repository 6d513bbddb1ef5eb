// The tests' side of the prompt seam: every message is recorded, and
// questions and boxes are answered from queues (No, or Cancel, once a queue
// is empty).
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ShownMessage {
    std::string text;
    std::string caption;
    bool operator==(const ShownMessage&) const = default;
};

// How the Add New Element box appears in FakePrompts::shown: its label, with
// no caption since the box has no caption bar.
inline const ShownMessage kAddNewElementBoxShown{"Add New Element", ""};

struct FakePrompts {
    std::vector<ShownMessage> shown;  // messages, questions and boxes in the order shown
    std::deque<bool> yesNoAnswers;    // answers for AskYesNo, front first
    // Texts typed into the Add New Element box before OK, front first;
    // nullopt presses Cancel.
    std::deque<std::optional<std::string>> elementBoxAnswers;
    std::function<void()> onShow;  // called while each message or box is "open"
};

extern FakePrompts fakePrompts;

// Answers for ChooseFile, front first: a path, or an empty string to cancel.
// With the queue empty the chooser is cancelled. Each call's mode is recorded.
struct FakeChooser {
    std::deque<std::string> answers;
    std::vector<bool> openModes;
};

extern FakeChooser fakeChooser;
