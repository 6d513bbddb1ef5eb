// Entry point of tessaril: seeds the random generator, reads Tessaril.ini
// from the working directory and reports what it holds.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "element.h"
#include "settings.h"
#include "settings_file.h"

int main() {
    // A file-size limit makes writes fail with an error instead of killing
    // the process, so a failed settings write is reported like any other.
    std::signal(SIGXFSZ, SIG_IGN);
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    ReadSettingsFile();
    if (ElementCount() == 0) return -1;

    std::printf("Tessaril: %d elements read from %s\n", ElementCount(),
                SettingsFilePath(settings).c_str());
    return 0;
}
