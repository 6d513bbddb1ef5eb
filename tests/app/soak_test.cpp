// The window program left running: with a 1,000-atom molecule open and the
// pointer over it, its resident memory stays flat once it has warmed up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QEvent>
#include <cstdio>
#include <fstream>
#include <string>

#include "gui_driver.h"
#include "main_window.h"
#include "molecule.h"
#include "process_state.h"
#include "shell_state.h"

namespace {

// Resident memory of this process, MB.
double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// A 10 x 10 x 10 block of carbons 30 units apart, each linked to the next.
std::string Block() {
    std::string text = "[Block]\n{C1000}\n";
    for (int i = 0; i < 1000; ++i) {
        text += "(" + std::to_string(i) + ")C{";
        if (i > 0) text += std::to_string(i - 1);
        if (i > 0 && i < 999) text += ",";
        if (i < 999) text += std::to_string(i + 1);
        text += "}[" + std::to_string((i % 10 - 5) * 30) + "," +
                std::to_string((i / 10 % 10 - 5) * 30) + "," + std::to_string((i / 100 - 5) * 30) +
                "]\n";
    }
    return text;
}

TEST(SoakTest, MemoryStaysFlatWithTheMoleculeUnderThePointer) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's quarantine holds freed memory; its leak check covers this";
#endif
    ResetProcessState();
    shellState = ShellState{};
    TemporaryFolder folder;
    WriteFileOrFail(folder.File("Tessaril.ini"), ReadFileOrEmpty(SourceFile("Tessaril.ini")));
    WriteFileOrFail(folder.File("block.dat"), Block());
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    double warm = 0, last = 0;
    int hovered = 0;  // seconds that ended with an atom under the pointer
    RunProgram(
        folder.File("block.dat"),
        [&] {
            auto* window = qobject_cast<MainWindow*>(shellState.mainWindow);
            ASSERT_NE(window, nullptr);
            QWidget* view = window->view();
            const QPoint centre(view->width() / 2, view->height() / 2);
            for (int second = 1; second <= 60; ++second) {
                // The pointer wanders a little over the middle of the molecule.
                SendMouse(view, QEvent::MouseMove, centre + QPoint(second % 7, second % 5),
                          Qt::NoButton);
                Wait(1000);
                last = ResidentMegabytes();
                hovered += molecule.hoverNode >= 0;
                if (second == 10) warm = last;
                std::printf("%2d s: %.1f MB resident\n", second, last);
                // A plain leak need not be watched to the end.
                if (warm > 0 && last - warm > 1000) break;
            }
        },
        180000);
    ASSERT_EQ(chdir("/"), 0);
    ASSERT_GT(warm, 0);
    EXPECT_GT(hovered, 30);
    EXPECT_LT(last - warm, 20.0) << "from " << warm << " MB at 10 s to " << last << " MB";
}

}  // namespace
