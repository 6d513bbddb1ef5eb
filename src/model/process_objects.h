// Every object that lives from process start to process end, in one list.
// Each is declared with its type; this header gathers the model's, and names
// the others:
//
//   molecule       the one document                     molecule.h
//   settings       the configuration values             settings.h
//   elementTable   the elements read at start-up        element.h
//   viewState      eye, angles, scale, labels           view_state.h
//   undoHistory    the steps Undo and Redo walk         undo.h
//   promptText,    the texts of the input boxes         prompts.h
//   inputText
//   undoHistory    the edits that can be undone         undo.h
//   the random generator's state (SeedRandom)           random.h
//   fonts          display lists and glyph metrics      render/fonts.h
//   shellState     the window shell's state             app/shell_state.h
//
// Nothing else keeps state between calls, apart from working memory that
// every use refills (the layout step's arrays). Tests put all of these back
// at their start-up values before each test (tests/support/process_state.h).
#pragma once

#include "element.h"
#include "molecule.h"
#include "prompts.h"
#include "random.h"
#include "settings.h"
#include "undo.h"
#include "view_state.h"
