// The window tests run in one QApplication, as the program does.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>

#include "process_state.h"
#include "window_program.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Keep Mesa's software driver loaded to the end, so that what it still
    // holds at exit is reported under its own name, which the leak
    // suppressions know, rather than under an unloaded module.
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
    SetProgramSurfaceFormat();
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
