// Entry point of tessaril: seeds the random generator and runs the mode the
// command line asks for, the window program when it asks for none.
#include <csignal>
#include <cstdio>
#include <ctime>

#include "command_line.h"
#include "installed_files.h"
#include "random.h"
#include "window_program.h"

int main(int argc, char** argv) {
    // A file-size limit makes writes fail with an error instead of killing
    // the process, so a failed write is reported like any other.
    std::signal(SIGXFSZ, SIG_IGN);
    SeedRandom(static_cast<unsigned>(std::time(nullptr)));

    CommandLine commandLine;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), commandLine, error)) {
        std::fprintf(stderr, "tessaril: %s\n%s", error.c_str(), UsageText().c_str());
        return kExitUsage;
    }
    // Started from a shell where there is no Tessaril.ini, an installed
    // program keeps its settings where the launcher keeps them.
    if (commandLine.mode != CommandLine::Mode::Help) UsePerUserSettingsWhereNeeded();
    switch (commandLine.mode) {
        case CommandLine::Mode::Help:
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        case CommandLine::Mode::Save:
            return RunSave(commandLine);
        case CommandLine::Mode::Render:
            return RunRender(commandLine);
        case CommandLine::Mode::Export:
            return RunExport(commandLine);
        case CommandLine::Mode::Check:
            return RunCheck(commandLine);
        case CommandLine::Mode::Window:
            break;
    }

    return RunWindowProgram(argc, argv, commandLine.inputPath, commandLine.smiles);
}
