// Argument parsing and the headless save mode.
#include "command_line.h"

#include <cstdlib>

#include "element.h"
#include "molecule_file.h"
#include "settings_file.h"
#include "simulation.h"

namespace {

bool ReadStepCount(const std::string& text, long long& steps) {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    steps = std::strtoll(text.c_str(), nullptr, 10);
    return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& result,
                      std::string& error) {
    result = CommandLine{};
    bool help = false, save = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            help = true;
        } else if (argument == "--save") {
            if (save) {
                error = "--save given twice";
                return false;
            }
            if (i + 1 >= arguments.size()) {
                error = "--save needs an output file";
                return false;
            }
            save = true;
            result.outputPath = arguments[++i];
        } else if (argument == "--steps") {
            if (result.stepsGiven) {
                error = "--steps given twice";
                return false;
            }
            if (i + 1 >= arguments.size() || !ReadStepCount(arguments[i + 1], result.steps)) {
                error = "--steps needs a whole number of steps from 0 up";
                return false;
            }
            result.stepsGiven = true;
            ++i;
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument;
            return false;
        } else if (result.inputPath.empty()) {
            result.inputPath = argument;
        } else {
            error = "more than one molecule file";
            return false;
        }
    }
    if (help) {
        result.mode = CommandLine::Mode::Help;
        return true;
    }
    if (result.stepsGiven && !save) {
        error = "--steps needs --save";
        return false;
    }
    if (save) {
        if (result.inputPath.empty()) {
            error = "--save needs a molecule file to load";
            return false;
        }
        result.mode = CommandLine::Mode::Save;
    }
    return true;
}

std::string UsageText() {
    return "usage: tessaril [FILE]\n"
           "       tessaril [--steps N] --save OUT FILE\n"
           "       tessaril --help\n"
           "\n"
           "  FILE             start the program and load the molecule file FILE\n"
           "  --save OUT FILE  without a window: load FILE and write it to OUT\n"
           "  --steps N        with --save: run N steps of the layout before writing\n"
           "  --help           print this text\n"
           "\n"
           "Tessaril.ini is read from the working directory. The headless modes print\n"
           "messages to stderr and exit with 0 when the output was written, 1 when a\n"
           "file could not be read or written, 2 for a usage error and -1 when\n"
           "Tessaril.ini holds no element.\n";
}

int RunSave(const CommandLine& commandLine) {
    ReadSettingsFile();
    if (ElementCount() == 0) return kExitNoElements;
    if (!LoadMoleculeFile(commandLine.inputPath)) return kExitFileError;
    // As a running program would, with nothing held and nothing paused.
    for (long long step = 0; step < commandLine.steps; ++step) SimulationStep();
    if (!SaveMoleculeFile(commandLine.outputPath)) return kExitFileError;
    return kExitWritten;
}
