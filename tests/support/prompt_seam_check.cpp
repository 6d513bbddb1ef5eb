// Links only when the prompt implementation it is built with defines every
// function of the seam; built once with each implementation. Running it does
// nothing.
#include "prompts.h"

int main(int argc, char**) {
    if (argc >= 0) return 0;
    std::string path;
    ShowMessage("", "");
    AskYesNo("", "");
    ShowAddNewElementBox();
    ChooseFile(path, true);
    ResetPrompts();
    return 1;
}
