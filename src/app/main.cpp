// Entry point of tessaril: picks the mode from the command line, seeds the
// random generator and reads Tessaril.ini from the working directory.
#include <csignal>
#include <cstdio>
#include <ctime>

#include "command_line.h"
#include "element.h"
#include "molecule.h"
#include "molecule_file.h"
#include "random.h"
#include "settings.h"
#include "settings_file.h"

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
    switch (commandLine.mode) {
        case CommandLine::Mode::Help:
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        case CommandLine::Mode::Save:
            return RunSave(commandLine);
        case CommandLine::Mode::Window:
            break;
    }

    ReadSettingsFile();
    if (ElementCount() == 0) return kExitNoElements;
    std::printf("Tessaril: %d elements read from %s\n", ElementCount(),
                SettingsFilePath(settings).c_str());
    if (!commandLine.inputPath.empty() && LoadMoleculeFile(commandLine.inputPath))
        std::printf("Tessaril: %s (%s), %d atoms\n", molecule.name.c_str(),
                    molecule.formula.c_str(), NodeCount());
    return 0;
}
