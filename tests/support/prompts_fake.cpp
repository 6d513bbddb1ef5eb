// Recording implementation of the prompt seam for tests.
#include "prompts_fake.h"

#include "process_state.h"
#include "prompts.h"

FakePrompts fakePrompts;

void ShowMessage(const std::string& text, const std::string& caption) {
    fakePrompts.shown.push_back({text, caption});
    if (fakePrompts.onShow) fakePrompts.onShow();
}

bool AskYesNo(const std::string& text, const std::string& caption) {
    fakePrompts.shown.push_back({text, caption});
    if (fakePrompts.yesNoAnswers.empty()) return false;
    const bool answer = fakePrompts.yesNoAnswers.front();
    fakePrompts.yesNoAnswers.pop_front();
    return answer;
}

void ShowAddNewElementBox() {
    fakePrompts.shown.push_back(kAddNewElementBoxShown);
    inputText.clear();
    if (fakePrompts.onShow) fakePrompts.onShow();
    if (fakePrompts.elementBoxAnswers.empty()) return;
    const std::optional<std::string> answer = fakePrompts.elementBoxAnswers.front();
    fakePrompts.elementBoxAnswers.pop_front();
    if (answer) StoreInputText(*answer);
}

FakeChooser fakeChooser;

bool ChooseFile(std::string& path, bool openMode) {
    fakeChooser.openModes.push_back(openMode);
    path.clear();
    if (fakeChooser.answers.empty()) return false;
    path = fakeChooser.answers.front();
    fakeChooser.answers.pop_front();
    return !path.empty();
}

bool ChooseFileOfFormats(std::string& path, bool openMode, const std::string&) {
    return ChooseFile(path, openMode);
}

void ResetPrompts() {
    fakePrompts = FakePrompts{};
    fakeChooser = FakeChooser{};
}
