// What the prompts do without a window: messages and questions become one
// "CAPTION: TEXT" line on stderr, questions are answered No and boxes and
// choosers cancelled, since nobody is there to answer.
#pragma once

#include <string>

namespace headless {
void ShowMessage(const std::string& text, const std::string& caption);
bool AskYesNo(const std::string& text, const std::string& caption);
void ShowAddNewElementBox();
bool ChooseFile(std::string& path, bool openMode);
}  // namespace headless
