// Prompts on stderr for the headless command line.
#include "headless_prompts.h"

#include <cstdio>

#include "prompts.h"

namespace headless {

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
    path.clear();
    return false;
}

}  // namespace headless
