// The Set Controls dialog, the Input Box and the About box, driven through
// their bars, buttons and keys; modal boxes are answered from a timer.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "dialogs.h"
#include "gui_support.h"
#include "prompts.h"
#include "settings.h"
#include "shell_state.h"

namespace {

QScrollBar* ControlsBar(const char* name) {
    return Child<QScrollBar>(shellState.controlsDialog, name);
}

// One of the four controls, by the name of its bar, as a double.
void SetControl(const QString& bar, double value) {
    if (bar == "detail") settings.DetailLevel = static_cast<int>(value);
    if (bar == "cohesion") settings.Cohesion = static_cast<int>(value);
    if (bar == "ambient") settings.LightAmbient = static_cast<float>(value);
    if (bar == "diffuse") settings.LightDiffuse = static_cast<float>(value);
}
double Control(const QString& bar) {
    if (bar == "detail") return settings.DetailLevel;
    if (bar == "cohesion") return settings.Cohesion;
    return bar == "ambient" ? settings.LightAmbient : settings.LightDiffuse;
}

}  // namespace

using SmallDialogsTest = DialogTest;

TEST_F(SmallDialogsTest, SetControlsOpensOnceAtOneOneWithTheSettings) {
    QWidget mainWindow;
    shellState.mainWindow = &mainWindow;
    settings.LightAmbient = 0.29f;
    ShowControlsDialog();
    QWidget* dialog = shellState.controlsDialog;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    EXPECT_EQ(dialog->parentWidget(), &mainWindow);
    EXPECT_EQ(dialog->frameGeometry().topLeft(), QPoint(1, 1));
    EXPECT_EQ(ControlsBar("detail")->value(), 20);
    EXPECT_EQ(ControlsBar("cohesion")->value(), 50);
    // 0.29f x 100 lies just below 29 and is cut.
    EXPECT_EQ(ControlsBar("ambient")->value(), 28);
    EXPECT_EQ(ControlsBar("diffuse")->value(), 100);
    EXPECT_PRED_FORMAT2(FuzzyEqual<float>, settings.LightAmbient, 0.29f);
    // Each label's text ends at least a character's width before its bar.
    const int gap = dialog->fontMetrics().averageCharWidth();
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        const int textEnd = label->x() + label->fontMetrics().horizontalAdvance(label->text());
        for (QScrollBar* bar : dialog->findChildren<QScrollBar*>()) {
            if (bar->geometry().intersects(
                    QRect(0, label->y(), dialog->width(), label->height()))) {
                EXPECT_GE(bar->x() - textEnd, gap) << label->text().toStdString();
            }
        }
    }
    ShowControlsDialog();
    EXPECT_EQ(shellState.controlsDialog, dialog);
    EXPECT_EQ(mainWindow.findChildren<QDialog*>().size(), qsizetype(1));
}

namespace {

// One click on a bar of the Set Controls dialog: the control's value
// before, the part clicked and the value stored after.
struct ControlStep {
    const char* name;
    const char* bar;
    double start;
    QStyle::SubControl part;
    double stored;
};

void PrintTo(const ControlStep& step, std::ostream* out) {
    *out << step.name;
}

}  // namespace

class SetControlsStepTest : public SmallDialogsTest,
                            public ::testing::WithParamInterface<ControlStep> {};

TEST_P(SetControlsStepTest, SetControlsSteps) {
    const ControlStep& step = GetParam();
    const QString bar = QString::fromLatin1(step.bar);
    SetControl(bar, step.start);
    ShowControlsDialog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(shellState.controlsDialog));
    ASSERT_TRUE(ClickBar(ControlsBar(step.bar), step.part));
    EXPECT_PRED_FORMAT2(FuzzyEqual<double>, Control(bar), step.stored);
}

constexpr auto up = QStyle::SC_ScrollBarAddLine, down = QStyle::SC_ScrollBarSubLine;
constexpr auto pageUp = QStyle::SC_ScrollBarAddPage, pageDown = QStyle::SC_ScrollBarSubPage;

INSTANTIATE_TEST_SUITE_P(
    Rows, SetControlsStepTest,
    ::testing::Values(ControlStep{"detail line", "detail", 20.0, up, 21.0},
                      ControlStep{"detail page of 6", "detail", 20.0, pageDown, 14.0},
                      ControlStep{"detail clamped at 36", "detail", 33.0, pageUp, 36.0},
                      ControlStep{"detail clamped at 6", "detail", 9.0, pageDown, 6.0},
                      ControlStep{"cohesion page of 10", "cohesion", 50.0, pageUp, 60.0},
                      ControlStep{"cohesion clamped at 100", "cohesion", 95.0, pageUp, 100.0},
                      ControlStep{"cohesion line at 0", "cohesion", 0.0, down, 0.0},
                      ControlStep{"ambient 0.5 line", "ambient", 0.5, down, double(0.49f)},
                      ControlStep{"ambient 0.5 page", "ambient", 0.5, pageDown, double(0.4f)},
                      ControlStep{"diffuse line at 1", "diffuse", 1.0, up, 1.0},
                      ControlStep{"diffuse clamped at 0", "diffuse", 0.05, pageDown, 0.0}),
    [](const ::testing::TestParamInfo<ControlStep>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (c == ' ' || c == '.') c = '_';
        return name;
    });

TEST_F(SmallDialogsTest, SetControlsKeepsOutOfRangeValuesUntilMoved) {
    settings.DetailLevel = 40;
    settings.Cohesion = -5;
    settings.LightAmbient = 2.5f;
    settings.LightDiffuse = -1.0f;
    ShowControlsDialog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(shellState.controlsDialog));
    EXPECT_EQ(ControlsBar("detail")->value(), 36);
    EXPECT_EQ(ControlsBar("ambient")->value(), 100);
    EXPECT_TRUE(settings.DetailLevel == 40 && settings.Cohesion == -5);
    EXPECT_TRUE(settings.LightAmbient == 2.5f && settings.LightDiffuse == -1.0f);
    ASSERT_TRUE(ClickBar(ControlsBar("detail"), QStyle::SC_ScrollBarSubLine));
    ASSERT_TRUE(ClickBar(ControlsBar("cohesion"), QStyle::SC_ScrollBarAddLine));
    ASSERT_TRUE(ClickBar(ControlsBar("ambient"), QStyle::SC_ScrollBarSubLine));
    ASSERT_TRUE(ClickBar(ControlsBar("diffuse"), QStyle::SC_ScrollBarSubLine));
    EXPECT_TRUE(settings.DetailLevel == 35 && settings.Cohesion == 1);
    EXPECT_TRUE(settings.LightAmbient == 0.99f && settings.LightDiffuse == 0.0f);
}

TEST_F(SmallDialogsTest, SetControlsClosing) {
    int closedCalls = 0;
    shellState.controlsDialogClosed = [&closedCalls] { ++closedCalls; };
    // From the menu: gone, and the menu keeps its own mark.
    ShowControlsDialog();
    QPointer<QWidget> first = shellState.controlsDialog;
    CloseControlsDialog();
    DeleteClosedWidgets();
    EXPECT_TRUE(!shellState.controlsDialog && !first);
    EXPECT_EQ(closedCalls, 0);

    // By the close box or Escape: the dialog tells the main window, and
    // opens again at (1, 1) with the values as they are now.
    ShowControlsDialog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(shellState.controlsDialog));
    ASSERT_TRUE(ClickBar(ControlsBar("cohesion"), QStyle::SC_ScrollBarAddPage));
    shellState.controlsDialog->close();
    EXPECT_FALSE(shellState.controlsDialog);
    EXPECT_EQ(closedCalls, 1);
    ShowControlsDialog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(shellState.controlsDialog));
    EXPECT_EQ(shellState.controlsDialog->frameGeometry().topLeft(), QPoint(1, 1));
    EXPECT_EQ(ControlsBar("cohesion")->value(), 60);
    QTest::keyClick(shellState.controlsDialog, Qt::Key_Escape);
    EXPECT_FALSE(shellState.controlsDialog);
    EXPECT_EQ(closedCalls, 2);
}

TEST_F(SmallDialogsTest, InputBoxOkHandsBackTheTextCutAt127) {
    QWidget owner;
    const std::string name(127, 'n');
    WhenModal<QDialog>([&](QDialog* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Input Box"));
        EXPECT_EQ(box->parentWidget(), &owner);
        EXPECT_EQ(Child<QLabel>(box, "prompt")->text(), QStringLiteral("Rename this Molecule"));
        EXPECT_EQ(Child<QLineEdit>(box, "edit")->text(), QString::fromStdString(name));
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(InputBox(&owner, "Rename this Molecule", name), name);
    EXPECT_EQ(promptText, std::string("Rename this Molecule"));

    WhenModal<QDialog>([&](QDialog* box) {
        auto* edit = Child<QLineEdit>(box, "edit");
        edit->selectAll();
        QTest::keyClicks(edit, QString(200, QLatin1Char('x')));
        QTest::mouseClick(Child<QPushButton>(box, "ok"), Qt::LeftButton);
    });
    EXPECT_EQ(InputBox(nullptr, "Enter formula for this molecule", "---"), std::string(127, 'x'));

    // A two-byte letter across the limit is dropped whole.
    WhenModal<QDialog>([&](QDialog* box) {
        Child<QLineEdit>(box, "edit")
            ->setText(QString(126, QLatin1Char('a')) + QStringLiteral("\u00e9b"));
        QTest::mouseClick(Child<QPushButton>(box, "ok"), Qt::LeftButton);
    });
    EXPECT_EQ(InputBox(nullptr, "Rename this Molecule", ""), std::string(126, 'a'));
}

TEST_F(SmallDialogsTest, InputBoxEscapeAndCloseBoxGiveTheInitialText) {
    for (const bool byCloseBox : {false, true}) {
        WhenModal<QDialog>([&](QDialog* box) {
            Child<QLineEdit>(box, "edit")->setText(QStringLiteral("edited"));
            if (byCloseBox)
                box->close();
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
        EXPECT_EQ(InputBox(nullptr, "Rename this Molecule", "Nitrite"), std::string("Nitrite"));
        EXPECT_EQ(inputText, std::string("Nitrite"));
    }
}

TEST_F(SmallDialogsTest, AboutBoxShowsTheVersionFirst) {
    QWidget mainWindow;
    shellState.mainWindow = &mainWindow;
    QString text;
    WhenModal<QDialog>([&](QDialog* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("About Tessaril"));
        EXPECT_EQ(box->parentWidget(), &mainWindow);
        text = Child<QLabel>(box, "text")->text();
        QTest::mouseClick(Child<QPushButton>(box, "ok"), Qt::LeftButton);
    });
    ShowAboutBox();
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("Tessaril v1.0"));
}
