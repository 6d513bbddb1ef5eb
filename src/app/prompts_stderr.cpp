// Messages of the headless command line: one "CAPTION: TEXT" line on stderr
// per message. Questions are answered No and boxes cancelled, since nobody is
// there to answer.
#include <cstdio>

#include "prompts.h"

void ShowMessage(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

bool AskYesNo(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return false;
}

void ShowAddNewElementBox() {
    std::fprintf(stderr, "Add New Element\n");
    inputText.clear();
}

bool ChooseFile(std::string& path, bool /*openMode*/) {
    // Without a window there is nobody to choose a file: the same as cancelling.
    path.clear();
    return false;
}
