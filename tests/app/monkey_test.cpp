// Twenty thousand random inputs to the running window program: keys, clicks,
// drags, the wheel, menu commands, dialogs answered at random, files loaded
// and saved in a temporary folder. After each one the molecule must still be
// consistent, with every position finite.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QScrollBar>
#include <cstdio>
#include <random>

#include "commands.h"
#include "gui_driver.h"
#include "main_window.h"
#include "molecule.h"
#include "process_state.h"
#include "shell_state.h"
#include "window_program.h"

namespace {

constexpr int kInputs = 20000;

class Monkey {
public:
    Monkey(const std::string& folder, unsigned seed) : folder_(folder), random_(seed) {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, [this] { AnswerModal(); });
        timer_.start();
    }

    void Act() {
        MainWindow* window = qobject_cast<MainWindow*>(shellState.mainWindow);
        if (!window) return;
        switch (Pick(10)) {
            case 0:
            case 1:
                PressKey(window);
                break;
            case 2:
            case 3:
            case 4:
                UseMouse(window->view());
                break;
            case 5:
                SendWheel(window->view(), Pick(2) ? 120 : -120, Modifiers());
                break;
            case 6:
                RunCommand();
                break;
            case 7:
                UseOpenDialogs();
                break;
            case 8:
                SetCurrentNode();
                break;
            default:
                QApplication::processEvents();
                break;
        }
    }

    int answered() const { return answered_; }

private:
    int Pick(int count) { return static_cast<int>(random_() % static_cast<unsigned>(count)); }

    Qt::KeyboardModifiers Modifiers() {
        Qt::KeyboardModifiers modifiers;
        if (Pick(4) == 0) modifiers |= Qt::ShiftModifier;
        if (Pick(4) == 0) modifiers |= Qt::ControlModifier;
        return modifiers;
    }

    void PressKey(QWidget* window) {
        // Every shortcut but the release of Escape, which ends the program;
        // Enter and Escape presses ask to quit and are answered No.
        static const int keys[] = {
            Qt::Key_1,      Qt::Key_2,      Qt::Key_3,  Qt::Key_6,    Qt::Key_8,    Qt::Key_9,
            Qt::Key_A,      Qt::Key_C,      Qt::Key_D,  Qt::Key_I,    Qt::Key_J,    Qt::Key_L,
            Qt::Key_O,      Qt::Key_P,      Qt::Key_S,  Qt::Key_T,    Qt::Key_U,    Qt::Key_Delete,
            Qt::Key_Period, Qt::Key_Comma,  Qt::Key_Up, Qt::Key_Down, Qt::Key_Plus, Qt::Key_Minus,
            Qt::Key_Return, Qt::Key_Escape, Qt::Key_X};
        const int key = keys[Pick(static_cast<int>(std::size(keys)))];
        Qt::KeyboardModifiers modifiers = Modifiers();
        if (Pick(3) == 0) modifiers |= Qt::KeypadModifier;
        if (key == Qt::Key_Escape) {
            SendKey(window, QEvent::KeyPress, key, modifiers);
            return;
        }
        ClickKey(window, key, modifiers);
    }

    void UseMouse(QWidget* view) {
        const QPoint at(Pick(view->width() + 40) - 20, Pick(view->height() + 40) - 20);
        const Qt::MouseButton button = Pick(3) == 0 ? Qt::RightButton : Qt::LeftButton;
        const int type = Pick(3) == 0   ? QEvent::MouseButtonPress
                         : Pick(2) == 0 ? QEvent::MouseButtonRelease
                                        : QEvent::MouseMove;
        // Press where the pointer last picked an atom, as often as not.
        if (type == QEvent::MouseButtonPress && Pick(2) == 0 && NodeCount() > 0)
            molecule.hoverNode = Pick(NodeCount() + 1) - 1;
        SendMouse(view, type, at, button, Modifiers());
    }

    void RunCommand() {
        using namespace CommandId;
        static const int ids[] = {kEnter,
                                  kEscape,
                                  kNew,
                                  kLoad,
                                  kSave,
                                  kExit,
                                  kRename,
                                  kSetFormula,
                                  kAddNewAtom,
                                  kJoinAtoms,
                                  kUnjoinAtoms,
                                  kSetControls,
                                  kCheckMolecule,
                                  kCloudColour,
                                  kBackgroundColour,
                                  kHighlightColour,
                                  kElementColour,
                                  kSelectColour,
                                  kTextColour,
                                  kLinkColour,
                                  kLabelsNone,
                                  kLabelsSymbols,
                                  kLabelsFullNames,
                                  kSizeTiny,
                                  kSizeSmall,
                                  kSizeNormal,
                                  kSizeLarge,
                                  kSizeHuge,
                                  kSpecular,
                                  kInvertColours,
                                  kSquash,
                                  kShadows,
                                  kDemo,
                                  kAbout};
        HandleCommand(ids[Pick(static_cast<int>(std::size(ids)))]);
    }

    void SetCurrentNode() {
        // Stale indices, as a removal or a smaller file leaves them, included.
        molecule.currentNode = Pick(NodeCount() + 3) - 1;
        if (NodeCount() > 0 && Pick(2) == 0)
            molecule.nodes[Pick(NodeCount())].selected = Pick(2) == 0;
    }

    void UseOpenDialogs() {
        std::vector<QWidget*> open;
        for (const ColourDialogRecord& record : shellState.colourDialogs)
            open.push_back(record.dialog);
        if (shellState.controlsDialog) open.push_back(shellState.controlsDialog);
        if (open.empty()) return;
        QWidget* dialog = open[Pick(static_cast<int>(open.size()))];
        const auto bars = dialog->findChildren<QScrollBar*>();
        if (Pick(5) == 0) {
            if (QAbstractButton* button = FindButton(dialog, Pick(2) ? "OK" : "Cancel"))
                button->click();
            else
                dialog->close();
        } else if (!bars.isEmpty()) {
            QScrollBar* bar = bars[Pick(static_cast<int>(bars.size()))];
            static const QAbstractSlider::SliderAction actions[] = {
                QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub,
                QAbstractSlider::SliderPageStepAdd,   QAbstractSlider::SliderPageStepSub,
                QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum};
            bar->triggerAction(actions[Pick(6)]);
        }
    }

    void AnswerModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        ++answered_;
        if (auto* chooser = qobject_cast<QFileDialog*>(modal)) {
            AnswerChooser(chooser);
            return;
        }
        if (auto* edit = modal->findChild<QLineEdit*>()) {
            static const char* typed[] = {"C",  "cl",          "Oxygen",  "xx",   "",
                                          "Na", "Unobtainium", "Benzene", "C6H6", "H"};
            edit->setText(QString::fromLatin1(typed[Pick(static_cast<int>(std::size(typed)))]));
        }
        // Any button but Yes on the quit question, which would end the run.
        std::vector<QAbstractButton*> buttons;
        for (QAbstractButton* button : modal->findChildren<QAbstractButton*>()) {
            QString text = button->text();
            text.remove('&');
            if (!button->isVisible() || !button->isEnabled()) continue;
            if (text == "Yes" && ShownText(modal) == "Really Quit?") continue;
            buttons.push_back(button);
        }
        if (buttons.empty())
            modal->close();
        else
            buttons[Pick(static_cast<int>(buttons.size()))]->click();
    }

    void AnswerChooser(QFileDialog* chooser) {
        if (Pick(4) == 0) {
            chooser->reject();
            return;
        }
        const bool open = chooser->acceptMode() == QFileDialog::AcceptOpen;
        static const char* opened[] = {"caffeine.dat", "water.hpr", "garbage.dat", "saved-0.dat",
                                       "saved-1"};
        std::string name =
            open ? opened[Pick(5)] : "saved-" + std::to_string(Pick(2)) + (Pick(2) ? ".dat" : "");
        const std::string path = folder_ + "/" + name;
        if (open && access(path.c_str(), F_OK) != 0) {
            chooser->reject();
            return;
        }
        chooser->selectFile(QString::fromStdString(path));
        // Replacing a file asks from within accept(), while this timer's call
        // runs and so cannot fire again: the question is answered from another.
        QTimer::singleShot(0, chooser, [this] { AnswerModal(); });
        static_cast<QDialog*>(chooser)->accept();
    }

    std::string folder_;
    int answered_ = 0;  // modal boxes and dialogs answered
    std::mt19937 random_;
    QTimer timer_;
};

TEST(MonkeyTest, RandomInputsKeepTheMoleculeConsistent) {
    ResetProcessState();
    TemporaryFolder folder;
    WriteFileOrFail(folder.File("Tessaril.ini"), ReadFileOrEmpty(SourceFile("Tessaril.ini")));
    WriteFileOrFail(folder.File("caffeine.dat"),
                    ReadFileOrEmpty(SourceFile("examples/caffeine.dat")));
    WriteFileOrFail(folder.File("water.hpr"), ReadFileOrEmpty(SourceFile("examples/water.dat")));
    WriteFileOrFail(folder.File("garbage.dat"),
                    "(0)C{1,1,7,0}[nan,1e999]\n(1)Qq{0}\n(2)O{0,1}--*\n(3)\n[Name\n{F\n");
    ASSERT_EQ(chdir(folder.path().c_str()), 0);

    Monkey monkey(folder.path(), 20261207);
    int inputs = 0;
    std::string why;
    const int status = RunProgram(
        folder.File("caffeine.dat"),
        [&] {
            for (; inputs < kInputs && shellState.mainWindow; ++inputs) {
                monkey.Act();
                if (!MoleculeIsConsistent(&why)) break;
                // Let frames and layout steps in now and then.
                if (inputs % 200 == 0) Wait(20);
            }
        },
        15 * 60 * 1000);
    std::printf("%d inputs, %d modal boxes answered, %d atoms at the end\n", inputs,
                monkey.answered(), NodeCount());
    EXPECT_TRUE(why.empty()) << "after input " << inputs << ": " << why;
    EXPECT_EQ(inputs, kInputs);
    EXPECT_EQ(status, kExitNormal);
    ASSERT_EQ(chdir("/"), 0);
}

}  // namespace
