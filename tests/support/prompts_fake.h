// The tests' side of the prompt seam: every message is recorded, and
// questions are answered from a queue (No once it is empty).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct ShownMessage {
    std::string text;
    std::string caption;
    bool operator==(const ShownMessage&) const = default;
};

struct FakePrompts {
    std::vector<ShownMessage> shown;  // messages and questions in the order shown
    std::deque<bool> yesNoAnswers;    // answers for AskYesNo, front first
    std::function<void()> onShow;     // called while each message is "open"
};

extern FakePrompts fakePrompts;

// Answers for ChooseFile, front first: a path, or an empty string to cancel.
// With the queue empty the chooser is cancelled. Each call's mode is recorded.
struct FakeChooser {
    std::deque<std::string> answers;
    std::vector<bool> openModes;
};

extern FakeChooser fakeChooser;
