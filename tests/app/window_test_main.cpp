// The window tests run in one QApplication, as the program does.
#include <gtest/gtest.h>

#include <QApplication>

#include "process_state.h"
#include "window_program.h"

// The window program's prompts are the real ones: nothing to reset.
void ResetPrompts() {}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    SetProgramSurfaceFormat();
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
