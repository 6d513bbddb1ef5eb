// Everything the program keeps from one event to the next, in one record.
// A fresh start (and each test) is one assignment: program = ProgramState{}.
//
// The code reaches the fields mostly by their own names (molecule, settings,
// viewState...), which each header declares as a reference to its field here.
// Working memory that every use refills (the layout step's arrays, the
// scene's batches) and caches that go with the GL context that made them
// stay beside the code that uses them.
#pragma once

#include <cstdint>
#include <string>

#include "drawing_choices.h"
#include "element.h"
#include "isolated_waiting.h"
#include "molecule.h"
#include "random.h"
#include "settings.h"
#include "shell_state.h"
#include "undo.h"
#include "view_state.h"

struct ProgramState {
    // The one document: loads and imports replace it, edits and the layout's
    // steps change it, Undo and Redo put back earlier copies.
    Molecule molecule;
    // The configuration: read from Tessaril.ini at start-up, changed by the
    // dialogs and toggles, written back as the program ends.
    Settings settings;
    // The elements: read from Tessaril.ini at start-up, after which only
    // their colours change (Colour Setup, O); atoms point into it.
    ElementTable elementTable;
    // Eye, angles, scales and label options: the mouse, the flight keys,
    // the view's size and each frame change it.
    ViewState viewState;
    // The steps Undo and Redo walk: every command that changes the molecule
    // adds one; New, Load and start-up clear it.
    UndoHistory undoHistory;
    // The file the molecule was loaded from or saved to, "" when untitled:
    // Load, Save, Import, Export of the own format, New.
    std::string moleculeFileName;
    // The undo history's position when the molecule last matched a file (see
    // UndoPosition): noted by loads, imports, Save and New; a different
    // position means unsaved changes.
    std::uint64_t savedPosition = 0;
    // The Input Box's prompt, set by whoever opens it, and the text the last
    // box handed back (the Input Box, the Add New Element box).
    std::string promptText;
    std::string inputText;
    // The state of the pseudo-random generator: seeded once at start-up from
    // the clock; every draw moves it on.
    std::uint32_t randomState = kUnseededRandom;
    // How the renderer draws spheres and ends shadow volumes: the fast ways,
    // unless a test or benchmark picks the reference ones.
    SphereDrawing sphereDrawing = SphereDrawing::shader;
    ShadowVolumes shadowVolumes = ShadowVolumes::shortened;
    // How many threads (the caller's included) the layout step of a big
    // molecule may use, 0 for one for each core: SetLayoutThreads (tests,
    // benchmarks). The pool's threads themselves stay with the pool.
    int layoutThreads = 0;
    // How a child process's work is waited for (the window's event loop, the
    // status bar, Cancel): installed by the window program; the command line
    // just waits. And whether a child is at work now.
    IsolatedWaiting isolatedWaiting;
    bool isolatedWorkUnderWay = false;
    // The window shell: the main window, open dialogs, menu marks, keys and
    // pointer, the pause, the drag under way and how the program ends. Set
    // by the window program; empty in the headless modes.
    ShellState shell;
};

// The one record of the process.
extern ProgramState program;
