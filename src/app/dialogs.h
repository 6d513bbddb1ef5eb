// The small dialogs the main window opens: the Input Box, the Add New
// Element box, the modeless Set Controls dialog and the About box.
#pragma once

#include <string>

class QWidget;

// The Input Box, modal over owner (null for none): prompt above a one-line
// edit holding initial. Returns the edited text after OK, cut to at most 127
// bytes on a character boundary, and initial after Escape or the close box.
// The prompt and the text pass through promptText and inputText.
std::string InputBox(QWidget* owner, const std::string& prompt, const std::string& initial);

// The Add New Element box, modal over owner (null for none): empties
// inputText as it opens; OK stores the typed text there (cut as by the Input
// Box), Cancel and Escape leave it empty.
void RunAddNewElementBox(QWidget* owner);

// Opens the Set Controls dialog at (1, 1), owned by the main window, unless
// it is already open. Its bars change DetailLevel, Cohesion, LightAmbient and
// LightDiffuse at once. Closing it by its close box (or Escape) clears
// shellState.controlsDialog and calls shellState.controlsDialogClosed.
void ShowControlsDialog();
// Closes the Set Controls dialog if it is open, without calling
// shellState.controlsDialogClosed: the caller keeps its own menu mark.
void CloseControlsDialog();

// The About box, modal over the main window.
void ShowAboutBox();
// Its text: "Tessaril v1.0" and three credit lines.
std::string AboutText();
