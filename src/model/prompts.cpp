// The texts shared by the input boxes and their callers. The boxes themselves
// live with each prompt implementation.
#include "prompts.h"

void StoreInputText(std::string_view typed) {
    inputText.assign(typed.substr(0, kInputTextLimit));
}
