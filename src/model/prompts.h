// The few places where the core asks the person something. Each program links
// one implementation: Qt message boxes in the window, stderr lines on the
// headless command line, a recording fake in the tests.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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
extern std::string promptText;
extern std::string inputText;

// The edit fields hand back at most this many characters.
constexpr std::size_t kInputTextLimit = 127;

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
