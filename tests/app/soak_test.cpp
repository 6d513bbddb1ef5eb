// The window program left running: with a 1,000-atom molecule open and the
// pointer over it, its resident memory stays flat once it has warmed up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QEvent>
#include <cstdio>
#include <fstream>
#include <string>

#include "camera.h"
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
    TemporaryFolder folder;
    WriteFileOrFail(folder.File("Tessaril.ini"), ReadFileOrEmpty(SourceFile("Tessaril.ini")));
    WriteFileOrFail(folder.File("block.dat"), Block());
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    double warm = 0, last = 0;
    int hovered = 0;  // seconds with an atom under the pointer
    RunProgram(
        folder.File("block.dat"),
        [&] {
            auto* window = qobject_cast<MainWindow*>(shellState.mainWindow);
            ASSERT_NE(window, nullptr);
            QWidget* view = window->view();
            for (int second = 1; second <= 60; ++second) {
                // The pointer moves onto another atom as the layout moves them.
                const Vector3 e = TransformPoint(
                    CameraMatrix(), molecule.nodes[second * 37 % NodeCount()].position);
                const Matrix4 projection = ProjectionMatrix(view->width(), view->height());
                const double x = (projection.m[0] * e.x / -e.z + 1) / 2 * view->width();
                const double y = (1 - projection.m[5] * e.y / -e.z) / 2 * view->height();
                SendMouse(view, QEvent::MouseMove, QPoint(static_cast<int>(x), static_cast<int>(y)),
                          Qt::NoButton);
                Wait(400);
                hovered += molecule.hoverNode >= 0;
                Wait(600);
                last = ResidentMegabytes();
                if (second == 10) warm = last;
                std::printf("%2d s: %.1f MB resident\n", second, last);
                // A plain leak need not be watched to the end.
                if (warm > 0 && last - warm > 1000) break;
            }
        },
        180000);
    ASSERT_EQ(chdir("/"), 0);
    ASSERT_GT(warm, 0);
    EXPECT_GT(hovered, 20);  // the pick ran over atoms, whatever the load
    EXPECT_LT(last - warm, 20.0) << "from " << warm << " MB at 10 s to " << last << " MB";
}

}  // namespace
