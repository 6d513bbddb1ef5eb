#include "program_end.h"

#include <QCoreApplication>
#include <QWidget>

#include "child_wait.h"
#include "notices.h"
#include "settings_file.h"
#include "shell_state.h"

void EndProgram() {
    if (shellState.ended) return;
    shellState.ended = true;
    CancelChildWork();
    ShowNotices(WriteSettingsFile().notices);
    if (QWidget* window = shellState.mainWindow) {
        if (shellState.stopWindowTimers) shellState.stopWindowTimers();
        window->hide();
        window->deleteLater();
    }
    shellState.mainWindow = nullptr;
    shellState.stopWindowTimers = nullptr;
    shellState.controlsDialog = nullptr;
    shellState.colourDialogs.clear();
    QCoreApplication::exit(shellState.exitStatus);
}
