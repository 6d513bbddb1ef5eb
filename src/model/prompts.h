// The few places where the core asks the person something. Each program links
// one implementation: Qt message boxes in the window, stderr lines on the
// headless command line, a recording fake in the tests.
#pragma once

#include <string>

// A modal message with an OK button.
void ShowMessage(const std::string& text, const std::string& caption);
// A modal Yes/No question; true for Yes.
bool AskYesNo(const std::string& text, const std::string& caption);
