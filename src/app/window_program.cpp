// Start-up, the event loop and the end of the window program.
#include "window_program.h"

#include <QApplication>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "child_wait.h"
#include "command_line.h"
#include "commands.h"
#include "element.h"
#include "format_io.h"
#include "gl_setup.h"
#include "main_window.h"
#include "molecule_file.h"
#include "notices.h"
#include "program_end.h"
#include "recent_files.h"
#include "settings_file.h"
#include "shell_state.h"
#include "undo.h"

void SetProgramSurfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(kSurfaceDepthBits);
    format.setStencilBufferSize(kSurfaceStencilBits);
    format.setSamples(kSurfaceSamples);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    QSurfaceFormat::setDefaultFormat(format);
}

bool StartWindowProgram(const std::string& inputPath, int& status, const std::string& smiles) {
    // A program started afresh: no marks, no dialogs, not ending.
    shellState = ShellState{};

    ShowNotices(ReadSettingsFile().notices);
    if (ElementCount() == 0) {
        status = kExitNoElements;
        return false;
    }

    // Qt's windowless platforms (offscreen, minimal) host no OpenGL widget,
    // even where they make contexts, and others may make no context at all;
    // Qt then fails inside its own painting once the view shows. End as
    // when the view's context turns out unusable.
    const QString platform = QGuiApplication::platformName();
    QOpenGLContext probe;
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal") ||
        !probe.create()) {
        std::fprintf(stderr, "tessaril: the platform \"%s\" offers the window no OpenGL\n",
                     qPrintable(platform));
        status = kExitNoWindow;
        return false;
    }

    shellState.controlsDialogClosed = [] { ShowMenuMarks(); };
    shellState.outsideMoleculeArrived = [] { SetLayoutPaused(true); };
    InstallChildWaiting([](const std::string& activity, long long seconds) {
        auto* shown = qobject_cast<MainWindow*>(shellState.mainWindow);
        if (shown) shown->ShowChildWork(activity, seconds);
        return shown != nullptr;
    });
    auto* window = new MainWindow;
    shellState.mainWindow = window;
    shellState.stopWindowTimers = [window] { window->StopTimers(); };
    QObject::connect(window->view(), &GLView::contextFailed, [] {
        // No usable context: the window goes, and with it the program.
        shellState.exitStatus = kExitNoWindow;
        QTimer::singleShot(0, [] { EndProgram(); });
    });
    window->PlaceFromSettings();
    window->activateWindow();
    window->setFocus();

    SetMoleculeFileName("");
    // A file named on the command line (or by the launcher) is one opened,
    // as a drop or the chooser would open it.
    if (!inputPath.empty() && LoadAnyMoleculeFile(inputPath, true)) NoteRecentFile(inputPath);
    if (!smiles.empty()) LoadFromSmiles(smiles, true);
    ClearUndoHistory();  // the program starts with nothing to undo
    MarkMoleculeSaved();
    // The file choosers start where the newest file was used, as across a run.
    const std::vector<std::string> recent = RecentFiles();
    std::error_code error;
    if (!recent.empty()) {
        const std::filesystem::path folder = std::filesystem::path(recent.front()).parent_path();
        if (std::filesystem::is_directory(folder, error)) shellState.chooserFolder = folder;
    }
    status = shellState.exitStatus;
    return !shellState.ended;
}

int RunWindowProgram(int argc, char** argv, const std::string& inputPath,
                     const std::string& smiles) {
    SetProgramSurfaceFormat();
    QApplication application(argc, argv);
    int status = kExitNormal;
    if (!StartWindowProgram(inputPath, status, smiles)) return status;
    return application.exec();
}
