// Prompts for the fuzz targets: nothing is shown and every question is
// answered No, so messages cost nothing per input.
#include "prompts.h"

void ShowMessage(const std::string&, const std::string&) {}
bool AskYesNo(const std::string&, const std::string&) {
    return false;
}
void ShowAddNewElementBox() {
    inputText.clear();
}
bool ChooseFile(std::string& path, bool) {
    path.clear();
    return false;
}
void ResetPrompts() {}
