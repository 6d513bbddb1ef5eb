#include "program_state.h"

ProgramState program;

// The fields' own names, bound once to the record.
Molecule& molecule = program.molecule;
Settings& settings = program.settings;
ElementTable& elementTable = program.elementTable;
ViewState& viewState = program.viewState;
UndoHistory& undoHistory = program.undoHistory;
ShellState& shellState = program.shell;
SphereDrawing& sphereDrawing = program.sphereDrawing;
ShadowVolumes& shadowVolumes = program.shadowVolumes;
