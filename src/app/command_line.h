// The command line: which mode the program runs in, and the headless modes
// that load and save molecules or draw a picture without a window.
#pragma once

#include <string>
#include <vector>

#include "exit_status.h"
#include "settings.h"

struct CommandLine {
    enum class Mode { Window, Save, Render, Export, Check, Help };
    Mode mode = Mode::Window;
    std::string inputPath;                   // FILE to load, empty for none
    std::string smiles;                      // --smiles, built in place of FILE; empty for none
    std::string outputPath;                  // OUT of --save, --render or --export
    long long steps = 0;                     // layout steps run between loading and the output
    bool stepsGiven = false;                 // --steps was on the command line
    int pictureWidth = kDefaultViewWidth;    // --size of --render, client pixels
    int pictureHeight = kDefaultViewHeight;  // --size of --render, client pixels
    bool pointerGiven = false;               // --mouse was given; without it nothing is hovered
    int mouseX = 0;                          // --mouse, client pixels from the left
    int mouseY = 0;                          // --mouse, client pixels from the top
    int labelMode = 0;                       // --labels of --render: 0 none, 1 symbols, 2 names
    float textSize = 4.0f;                   // --text-size of --render: factor on the atom labels
    bool fit = false;        // --fit of --render: centre and fit every atom in the picture
    bool turnGiven = false;  // --turn of --render was given
    float turnYaw = 0.0f;    // --turn: model yaw, degrees
    float turnPitch = 0.0f;  // --turn: model pitch, degrees
    long long repeat = 1;    // --repeat of --render: frames drawn, the last one written
    float lineScale = 1.0f;  // --scale of --render: factor on line widths
    int dpi = 0;             // --dpi of --render: written into the PNG; 0 writes none
};

// Reads the arguments after the program name. False, with the reason in
// error, for a usage error.
bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& result,
                      std::string& error);

// The usage of every mode, as --help prints it.
std::string UsageText();

// Reads Tessaril.ini from the working directory, loads inputPath, runs the
// layout for the given number of steps and writes the molecule to
// outputPath: in the chemistry format its extension names, in the own
// format for any other name. Messages go to stderr; returns the exit status.
int RunSave(const CommandLine& commandLine);

// Reads Tessaril.ini from the working directory, loads inputPath when given,
// runs the layout for the given number of steps and draws one frame as the
// window would, with the given labels, text size, turn and fit, at the
// picture size into the PNG file outputPath (drawn repeat times, the last
// written). Messages go to stderr; returns the exit
// status.
int RunRender(const CommandLine& commandLine);

// Reads Tessaril.ini from the working directory, loads inputPath or builds
// from smiles, runs the layout for the given number of steps and writes the
// molecule to outputPath in the format its extension names. Messages go to
// stderr; returns the exit status.
int RunExport(const CommandLine& commandLine);

// Reads Tessaril.ini, loads inputPath and prints what Check Molecule finds
// there to stdout, one line each, or "No problems found.". Returns
// kExitWritten when nothing was found, kExitFileError otherwise (also when
// the file could not be read).
int RunCheck(const CommandLine& commandLine);
