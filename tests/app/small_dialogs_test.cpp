// The Set Controls dialog, the Input Box and the About box, driven through
// their bars, buttons and keys; modal boxes are answered from a timer.
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

Q_DECLARE_METATYPE(QStyle::SubControl)

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

class SmallDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        ResetShell();
        QVERIFY(!ModalTimedOut());
        QCOMPARE(PendingModalAnswers(), 0);
    }

    void SetControlsOpensOnceAtOneOneWithTheSettings() {
        QWidget mainWindow;
        shellState.mainWindow = &mainWindow;
        settings.LightAmbient = 0.29f;
        ShowControlsDialog();
        QWidget* dialog = shellState.controlsDialog;
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->parentWidget(), &mainWindow);
        QCOMPARE(dialog->frameGeometry().topLeft(), QPoint(1, 1));
        QCOMPARE(ControlsBar("detail")->value(), 20);
        QCOMPARE(ControlsBar("cohesion")->value(), 50);
        // 0.29f x 100 lies just below 29 and is cut.
        QCOMPARE(ControlsBar("ambient")->value(), 28);
        QCOMPARE(ControlsBar("diffuse")->value(), 100);
        QCOMPARE(settings.LightAmbient, 0.29f);
        // Each label's text ends at least a character's width before its bar.
        const int gap = dialog->fontMetrics().averageCharWidth();
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            const int textEnd = label->x() + label->fontMetrics().horizontalAdvance(label->text());
            for (QScrollBar* bar : dialog->findChildren<QScrollBar*>())
                if (bar->geometry().intersects(
                        QRect(0, label->y(), dialog->width(), label->height())))
                    QVERIFY2(bar->x() - textEnd >= gap, qPrintable(label->text()));
        }
        ShowControlsDialog();
        QCOMPARE(shellState.controlsDialog, dialog);
        QCOMPARE(mainWindow.findChildren<QDialog*>().size(), qsizetype(1));
    }

    void SetControlsSteps_data() {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<double>("start");
        QTest::addColumn<QStyle::SubControl>("part");
        QTest::addColumn<double>("stored");
        const auto up = QStyle::SC_ScrollBarAddLine, down = QStyle::SC_ScrollBarSubLine;
        const auto pageUp = QStyle::SC_ScrollBarAddPage, pageDown = QStyle::SC_ScrollBarSubPage;
        QTest::newRow("detail line") << "detail" << 20.0 << up << 21.0;
        QTest::newRow("detail page of 6") << "detail" << 20.0 << pageDown << 14.0;
        QTest::newRow("detail clamped at 36") << "detail" << 33.0 << pageUp << 36.0;
        QTest::newRow("detail clamped at 6") << "detail" << 9.0 << pageDown << 6.0;
        QTest::newRow("cohesion page of 10") << "cohesion" << 50.0 << pageUp << 60.0;
        QTest::newRow("cohesion clamped at 100") << "cohesion" << 95.0 << pageUp << 100.0;
        QTest::newRow("cohesion line at 0") << "cohesion" << 0.0 << down << 0.0;
        QTest::newRow("ambient 0.5 line") << "ambient" << 0.5 << down << double(0.49f);
        QTest::newRow("ambient 0.5 page") << "ambient" << 0.5 << pageDown << double(0.4f);
        QTest::newRow("diffuse line at 1") << "diffuse" << 1.0 << up << 1.0;
        QTest::newRow("diffuse clamped at 0") << "diffuse" << 0.05 << pageDown << 0.0;
    }

    void SetControlsSteps() {
        QFETCH(QString, bar);
        QFETCH(double, start);
        QFETCH(QStyle::SubControl, part);
        QFETCH(double, stored);
        SetControl(bar, start);
        ShowControlsDialog();
        QVERIFY(QTest::qWaitForWindowExposed(shellState.controlsDialog));
        QVERIFY(ClickBar(ControlsBar(bar.toLatin1().constData()), part));
        QCOMPARE(Control(bar), stored);
    }

    void SetControlsKeepsOutOfRangeValuesUntilMoved() {
        settings.DetailLevel = 40;
        settings.Cohesion = -5;
        settings.LightAmbient = 2.5f;
        settings.LightDiffuse = -1.0f;
        ShowControlsDialog();
        QVERIFY(QTest::qWaitForWindowExposed(shellState.controlsDialog));
        QCOMPARE(ControlsBar("detail")->value(), 36);
        QCOMPARE(ControlsBar("ambient")->value(), 100);
        QVERIFY(settings.DetailLevel == 40 && settings.Cohesion == -5);
        QVERIFY(settings.LightAmbient == 2.5f && settings.LightDiffuse == -1.0f);
        QVERIFY(ClickBar(ControlsBar("detail"), QStyle::SC_ScrollBarSubLine));
        QVERIFY(ClickBar(ControlsBar("cohesion"), QStyle::SC_ScrollBarAddLine));
        QVERIFY(ClickBar(ControlsBar("ambient"), QStyle::SC_ScrollBarSubLine));
        QVERIFY(ClickBar(ControlsBar("diffuse"), QStyle::SC_ScrollBarSubLine));
        QVERIFY(settings.DetailLevel == 35 && settings.Cohesion == 1);
        QVERIFY(settings.LightAmbient == 0.99f && settings.LightDiffuse == 0.0f);
    }

    void SetControlsClosing() {
        int closedCalls = 0;
        shellState.controlsDialogClosed = [&closedCalls] { ++closedCalls; };
        // From the menu: gone, and the menu keeps its own mark.
        ShowControlsDialog();
        QPointer<QWidget> first = shellState.controlsDialog;
        CloseControlsDialog();
        DeleteClosedWidgets();
        QVERIFY(!shellState.controlsDialog && !first);
        QCOMPARE(closedCalls, 0);

        // By the close box or Escape: the dialog tells the main window, and
        // opens again at (1, 1) with the values as they are now.
        ShowControlsDialog();
        QVERIFY(QTest::qWaitForWindowExposed(shellState.controlsDialog));
        QVERIFY(ClickBar(ControlsBar("cohesion"), QStyle::SC_ScrollBarAddPage));
        shellState.controlsDialog->close();
        QVERIFY(!shellState.controlsDialog);
        QCOMPARE(closedCalls, 1);
        ShowControlsDialog();
        QVERIFY(QTest::qWaitForWindowExposed(shellState.controlsDialog));
        QCOMPARE(shellState.controlsDialog->frameGeometry().topLeft(), QPoint(1, 1));
        QCOMPARE(ControlsBar("cohesion")->value(), 60);
        QTest::keyClick(shellState.controlsDialog, Qt::Key_Escape);
        QVERIFY(!shellState.controlsDialog);
        QCOMPARE(closedCalls, 2);
    }

    void InputBoxOkHandsBackTheTextCutAt127() {
        QWidget owner;
        const std::string name(127, 'n');
        WhenModal<QDialog>([&](QDialog* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Input Box"));
            QCOMPARE(box->parentWidget(), &owner);
            QCOMPARE(Child<QLabel>(box, "prompt")->text(), QStringLiteral("Rename this Molecule"));
            QCOMPARE(Child<QLineEdit>(box, "edit")->text(), QString::fromStdString(name));
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(InputBox(&owner, "Rename this Molecule", name), name);
        QCOMPARE(promptText, std::string("Rename this Molecule"));

        WhenModal<QDialog>([&](QDialog* box) {
            auto* edit = Child<QLineEdit>(box, "edit");
            edit->selectAll();
            QTest::keyClicks(edit, QString(200, QLatin1Char('x')));
            QTest::mouseClick(Child<QPushButton>(box, "ok"), Qt::LeftButton);
        });
        QCOMPARE(InputBox(nullptr, "Enter formula for this molecule", "---"),
                 std::string(127, 'x'));

        // A two-byte letter across the limit is dropped whole.
        WhenModal<QDialog>([&](QDialog* box) {
            Child<QLineEdit>(box, "edit")
                ->setText(QString(126, QLatin1Char('a')) + QStringLiteral("\u00e9b"));
            QTest::mouseClick(Child<QPushButton>(box, "ok"), Qt::LeftButton);
        });
        QCOMPARE(InputBox(nullptr, "Rename this Molecule", ""), std::string(126, 'a'));
    }

    void InputBoxEscapeAndCloseBoxGiveTheInitialText() {
        for (const bool byCloseBox : {false, true}) {
            WhenModal<QDialog>([&](QDialog* box) {
                Child<QLineEdit>(box, "edit")->setText(QStringLiteral("edited"));
                if (byCloseBox)
                    box->close();
                else
                    QTest::keyClick(box, Qt::Key_Escape);
            });
            QCOMPARE(InputBox(nullptr, "Rename this Molecule", "Nitrite"), std::string("Nitrite"));
            QCOMPARE(inputText, std::string("Nitrite"));
        }
    }

    void AboutBoxShowsTheVersionFirst() {
        QWidget mainWindow;
        shellState.mainWindow = &mainWindow;
        QString text;
        WhenModal<QDialog>([&](QDialog* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("About Tessaril"));
            QCOMPARE(box->parentWidget(), &mainWindow);
            text = Child<QLabel>(box, "text")->text();
            QTest::mouseClick(Child<QPushButton>(box, "ok"), Qt::LeftButton);
        });
        ShowAboutBox();
        const QStringList lines = text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral("Tessaril v1.0"));
    }
};

QTEST_MAIN(SmallDialogsTest)
#include "small_dialogs_test.moc"
