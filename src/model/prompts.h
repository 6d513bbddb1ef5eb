// The few places where the core asks the person something. Each program links
// one implementation: Qt message boxes in the window, stderr lines on the
// headless command line, a recording fake in the tests.
#pragma once

#include <string>

// A modal message with an OK button.
void ShowMessage(const std::string& text, const std::string& caption);
// A modal Yes/No question; true for Yes.
bool AskYesNo(const std::string& text, const std::string& caption);

// The file chooser: open mode accepts only an existing file, save mode any
// name in an existing folder. True with the full path in path when a file
// was chosen; false with path empty when cancelled.
bool ChooseFile(std::string& path, bool openMode);
