// The command line: which mode the program runs in, and the headless modes
// that load and save molecules without a window.
#pragma once

#include <string>
#include <vector>

struct CommandLine {
    enum class Mode { Window, Save, Help };
    Mode mode = Mode::Window;
    std::string inputPath;    // FILE to load, empty for none
    std::string outputPath;   // OUT of --save
    long long steps = 0;      // layout steps run between loading and saving
    bool stepsGiven = false;  // --steps was on the command line
};

// Exit statuses of the headless modes.
constexpr int kExitWritten = 0;
constexpr int kExitFileError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoElements = -1;

// Reads the arguments after the program name. False, with the reason in
// error, for a usage error.
bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& result,
                      std::string& error);

// The usage of every mode, as --help prints it.
std::string UsageText();

// Reads Tessaril.ini from the working directory, loads inputPath, runs the
// layout for the given number of steps and writes the molecule to
// outputPath. Messages go to stderr; returns the exit status.
int RunSave(const CommandLine& commandLine);
