// The About box: the program's name and version and three lines of credits.
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "dialog_support.h"
#include "dialogs.h"
#include "shell_state.h"

namespace {
constexpr const char* kVersion = "1.0";
}

std::string AboutText() {
    return std::string("Tessaril v") + kVersion +
           "\nViewing and building small molecules in 3D"
           "\nDrawn with OpenGL and GLU, windows by Qt"
           "\nBy the Tessaril developers";
}

void ShowAboutBox() {
    QDialog box(shellState.mainWindow);
    const DialogUnits units = SetUpDialog(&box, "About Tessaril", 186, 73, false);

    auto* ok = new QPushButton(QStringLiteral("OK"), &box);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    PlaceControl(ok, units, 68, 52, 50, 14);
    auto* text = new QLabel(ToQString(AboutText()), &box);
    text->setObjectName(QStringLiteral("text"));
    text->setTextFormat(Qt::PlainText);
    text->setAlignment(Qt::AlignCenter);
    text->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PlaceControl(text, units, 7, 7, 172, 40);
    QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
    box.exec();
}
