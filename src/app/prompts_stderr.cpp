// The prompt seam of programs that never open a window (the benchmarks):
// everything goes to stderr.
#include "headless_prompts.h"
#include "prompts.h"

void ShowMessage(const std::string& text, const std::string& caption) {
    headless::ShowMessage(text, caption);
}

bool AskYesNo(const std::string& text, const std::string& caption) {
    return headless::AskYesNo(text, caption);
}

void ShowAddNewElementBox() {
    headless::ShowAddNewElementBox();
}

bool ChooseFile(std::string& path, bool openMode) {
    return headless::ChooseFile(path, openMode);
}

bool ChooseFileOfFormats(std::string& path, bool openMode, const std::string&) {
    return headless::ChooseFile(path, openMode);
}

void ResetPrompts() {}
