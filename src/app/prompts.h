// The few places where the program asks the person something or tells them
// something. Only the app asks; the floors below hand back notices
// (notice.h). Each program links exactly one implementation, and every
// implementation defines every function below:
//   src/app/prompts_qt.cpp      tessaril and the GUI tests: Qt boxes in the
//                               window, stderr lines in the headless modes
//   tests/support/prompts_fake.cpp  the other tests: records, answers from queues
// The prompt-seam check (tests/support) is linked with each of them, so a
// missing definition fails the build.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text_limits.h"

// A modal message with an OK button.
void ShowMessage(const std::string& text, const std::string& caption);
// A modal Yes/No question; true for Yes.
bool AskYesNo(const std::string& text, const std::string& caption);

// The Add New Element box, modal: it empties inputText as it opens and, when
// OK is pressed, stores the typed text there (see StoreInputText). After
// Cancel inputText stays empty; callers read inputText either way.
void ShowAddNewElementBox();

// The two process-wide texts through which the Input Box and the Add New
// Element box receive their prompt and hand back what was typed.
// Both are fields of program (program_state.h).
extern std::string& promptText;
extern std::string& inputText;

// What a box does with its edit field on OK: inputText takes the first
// kInputTextLimit characters of typed.
void StoreInputText(std::string_view typed);
// The file chooser: open mode accepts only an existing file, save mode any
// name in an existing folder. True with the full path in path when a file
// was chosen; false with path empty when cancelled.
bool ChooseFile(std::string& path, bool openMode);
// The same chooser for the other chemistry formats, offering filters
// ("Label (*.a *.b)" separated by ";;", the first one selected).
bool ChooseFileOfFormats(std::string& path, bool openMode, const std::string& filters);

// Puts the implementation's own state (queued answers, records) back at its
// start; nothing to do for the real ones.
void ResetPrompts();
