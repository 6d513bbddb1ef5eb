// Argument parsing and the headless save mode.
#include "command_line.h"

#include "element.h"
#include "molecule_file.h"
#include "settings_file.h"

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
           "       tessaril --save OUT FILE\n"
           "       tessaril --help\n"
           "\n"
           "  FILE             start the program and load the molecule file FILE\n"
           "  --save OUT FILE  without a window: load FILE and write it to OUT\n"
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
    if (!SaveMoleculeFile(commandLine.outputPath)) return kExitFileError;
    return kExitWritten;
}
