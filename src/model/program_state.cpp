#include "program_state.h"

#include "prompts.h"

ProgramState program;

// The fields' own names, bound once to the record.
Molecule& molecule = program.molecule;
Settings& settings = program.settings;
ElementTable& elementTable = program.elementTable;
ViewState& viewState = program.viewState;
UndoHistory& undoHistory = program.undoHistory;
std::string& promptText = program.promptText;
std::string& inputText = program.inputText;
ShellState& shellState = program.shell;
