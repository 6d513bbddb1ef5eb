// The program with its window: start-up in a fixed order, the event loop,
// and the one way out that writes the settings back.
#pragma once

#include <string>

// Runs the window program and returns its exit status: 2 after a normal end,
// -1 when Tessaril.ini gave no element, 0 when no usable OpenGL context could
// be made. A non-empty inputPath is loaded as if chosen in the Load dialog,
// or imported when its extension names a chemistry format; a non-empty
// smiles is built as New from SMILES does.
int RunWindowProgram(int argc, char** argv, const std::string& inputPath,
                     const std::string& smiles = {});

// Asks every OpenGL surface for what the frames need: depth, 8 stencil bits,
// a back buffer, the compatibility profile. Call before the QApplication.
void SetProgramSurfaceFormat();

// Start-up inside a running QApplication: reads the settings, opens the
// main window, sets the first menu marks and loads inputPath (or builds
// smiles). False, with the exit status in status, when the program ends
// before its event loop.
bool StartWindowProgram(const std::string& inputPath, int& status, const std::string& smiles = {});
