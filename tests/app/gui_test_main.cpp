// The dialog tests run in one QApplication, as the program does, at 96 dots
// per inch so that the sizes they measure do not depend on the display.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    application.setAttribute(Qt::AA_Use96Dpi, true);
    return RUN_ALL_TESTS();
}
