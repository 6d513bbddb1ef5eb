// The texts shared by the input boxes and their callers. The boxes themselves
// live with each prompt implementation.
#include "prompts.h"

#include "program_state.h"

// The texts live in the program's state record.
std::string& promptText = program.promptText;
std::string& inputText = program.inputText;

void StoreInputText(std::string_view typed) {
    inputText.assign(typed.substr(0, kInputTextLimit));
}
