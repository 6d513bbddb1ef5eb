// The window program's prompts: message boxes, the Yes/No question, the Add
// New Element box and the file chooser in both modes, each answered by a
// timer as a person would.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <fstream>

#include "dialogs.h"
#include "gui_support.h"
#include "prompts.h"
#include "shell_state.h"

namespace {

// Types a path into the chooser and presses its Open or Save button.
void ChoosePath(QFileDialog* chooser, const QString& path) {
    Child<QLineEdit>(chooser, "fileNameEdit")->setText(path);
    auto* buttons = Child<QDialogButtonBox>(chooser, "buttonBox");
    QPushButton* accept =
        buttons->button(chooser->acceptMode() == QFileDialog::AcceptOpen ? QDialogButtonBox::Open
                                                                         : QDialogButtonBox::Save);
    QTest::mouseClick(accept, Qt::LeftButton);
}

void WriteFile(const QString& path, const char* bytes) {
    std::ofstream(path.toStdString()) << bytes;
}

}  // namespace

class PromptsQtTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        ResetShell();
        QVERIFY(!ModalTimedOut());
        QCOMPARE(PendingModalAnswers(), 0);
    }

    void MessageShowsTextAndCaptionWithOneOkAndNoIcon() {
        QWidget mainWindow;
        for (QWidget* owner : {static_cast<QWidget*>(nullptr), &mainWindow}) {
            shellState.mainWindow = owner;
            bool seen = false;
            WhenModal<QMessageBox>([&](QMessageBox* box) {
                QCOMPARE(box->windowTitle(), QStringLiteral("File <Error>!"));
                QCOMPARE(box->text(), QStringLiteral("Unable to open file <b>x</b>!\nline two"));
                QCOMPARE(box->textFormat(), Qt::PlainText);
                QCOMPARE(box->icon(), QMessageBox::NoIcon);
                QCOMPARE(box->parentWidget(), owner);
                QCOMPARE(box->buttons().size(), qsizetype(1));
                QCOMPARE(box->standardButton(box->buttons()[0]), QMessageBox::Ok);
                seen = true;
                QTest::keyClick(box, Qt::Key_Return);
            });
            ShowMessage("Unable to open file <b>x</b>!\nline two", "File <Error>!");
            QVERIFY(seen);
        }
    }

    // A short text must not make a box too narrow for its caption: the
    // window manager would cut it ("Quit ... gram").
    void BoxesAreWideEnoughForTheirCaptions() {
        for (const char* caption : {"Quit Program", "Unknown Element", "Selection error"}) {
            WhenModal<QMessageBox>([&](QMessageBox* box) {
                QFont bold = box->font();
                bold.setBold(true);
                const int title =
                    QFontMetrics(bold).horizontalAdvance(QString::fromLatin1(caption));
                QVERIFY2(box->width() >= title + 100, caption);
                QTest::keyClick(box, Qt::Key_Escape);
            });
            AskYesNo("Really Quit?", caption);
        }
    }

    void QuestionAnswersYesOnlyForYes() {
        struct Answer {
            const char* how;
            bool expected;
        };
        for (const Answer answer : {Answer{"yes", true}, Answer{"no", false},
                                    Answer{"escape", false}, Answer{"enter", true}}) {
            WhenModal<QMessageBox>([&](QMessageBox* box) {
                QCOMPARE(box->windowTitle(), QStringLiteral("Exit"));
                QCOMPARE(box->text(), QStringLiteral("Really Quit?"));
                QCOMPARE(box->icon(), QMessageBox::NoIcon);
                QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
                const QString how = QString::fromLatin1(answer.how);
                if (how == "yes") QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
                if (how == "no") QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
                if (how == "escape") QTest::keyClick(box, Qt::Key_Escape);
                if (how == "enter") QTest::keyClick(box, Qt::Key_Return);
            });
            QCOMPARE(AskYesNo("Really Quit?", "Exit"), answer.expected);
        }
    }

    void AddNewElementBoxOpensEmptyAndHandsBackWhatOkStores() {
        QWidget mainWindow;
        shellState.mainWindow = &mainWindow;
        inputText = "stale";
        WhenModal<QDialog>([&](QDialog* box) {
            QCOMPARE(box->parentWidget(), &mainWindow);
            QVERIFY(box->windowFlags() & Qt::FramelessWindowHint);
            QCOMPARE(Child<QLabel>(box, "label")->text(), QStringLiteral("Add New Element"));
            auto* edit = Child<QLineEdit>(box, "edit");
            QCOMPARE(edit->text(), QString());
            QCOMPARE(inputText, std::string());
            QTRY_COMPARE(QApplication::focusWidget(), edit);
            QTest::keyClicks(edit, QStringLiteral("Carbon"));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        ShowAddNewElementBox();
        QCOMPARE(inputText, std::string("Carbon"));

        // Cancel and Escape leave the text empty, whatever was typed.
        for (const bool byEscape : {false, true}) {
            WhenModal<QDialog>([&](QDialog* box) {
                QTest::keyClicks(Child<QLineEdit>(box, "edit"), QStringLiteral("C"));
                if (byEscape)
                    QTest::keyClick(box, Qt::Key_Escape);
                else
                    QTest::mouseClick(Child<QPushButton>(box, "cancel"), Qt::LeftButton);
            });
            ShowAddNewElementBox();
            QCOMPARE(inputText, std::string());
        }
    }

    void ChooserOffersBothFiltersAndCancelGivesNothing() {
        QWidget mainWindow;
        shellState.mainWindow = &mainWindow;
        for (const bool openMode : {true, false}) {
            WhenModal<QFileDialog>([&](QFileDialog* chooser) {
                QCOMPARE(chooser->parentWidget(), &mainWindow);
                QCOMPARE(chooser->acceptMode(),
                         openMode ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
                QCOMPARE(chooser->nameFilters(),
                         QStringList({"All (*)", "Allowed Data Files (*.dat *.hpr)"}));
                QCOMPARE(chooser->selectedNameFilter(), QStringLiteral("All"));
                auto* types = Child<QComboBox>(chooser, "fileTypeCombo");
                QCOMPARE(types->count(), 2);
                QCOMPARE(types->itemText(1), QStringLiteral("Allowed Data Files"));
                QCOMPARE(types->currentText(), QStringLiteral("All"));
                QCOMPARE(Child<QLineEdit>(chooser, "fileNameEdit")->text(), QString());
                chooser->reject();
            });
            std::string path = "left over";
            QVERIFY(!ChooseFile(path, openMode));
            QCOMPARE(path, std::string());
        }
    }

    // Size, Type and Date Modified show whole, not cut to "31....KiB", even
    // when Qt brings back narrow columns from an earlier chooser.
    void ChooserColumnsShowTheirContentsWhole() {
        QTemporaryDir folder;
        WriteFile(folder.filePath("a-rather-long-name-of-a-molecule.png"), "\x89PNG\r\n\x1a\n");
        WriteFile(folder.filePath("notes.txt"), std::string(40000, 'x').c_str());
        WhenModal<QFileDialog>([&](QFileDialog* chooser) {
            auto* files = Child<QTreeView>(chooser, "treeView");
            for (int column = 1; column <= 3; ++column) files->setColumnWidth(column, 20);
            chooser->setDirectory(folder.path());
            QTRY_COMPARE(files->model()->rowCount(files->rootIndex()), 2);
            QTest::qWait(100);
            for (int column = 1; column <= 3; ++column)
                QVERIFY2(files->columnWidth(column) >=
                             static_cast<QAbstractItemView*>(files)->sizeHintForColumn(column),
                         qPrintable(QString::number(column)));
            chooser->reject();
        });
        std::string path;
        QVERIFY(!ChooseFile(path, true));
    }

    void SaveTakesANameAsTypedAndAsksBeforeReplacing() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString bare = folder.filePath("molecule");
        WhenModal<QFileDialog>([&](QFileDialog* chooser) {
            chooser->setDirectory(folder.path());
            ChoosePath(chooser, QStringLiteral("molecule"));
        });
        std::string path;
        QVERIFY(ChooseFile(path, false));
        QCOMPARE(QString::fromStdString(path), bare);

        // An existing file: chosen only after Yes; No goes back to the chooser.
        const QString existing = folder.filePath("water.dat");
        WriteFile(existing, "old");
        for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            bool asked = false, stayedOpen = false;
            WhenModal<QFileDialog>([&](QFileDialog* chooser) {
                WhenModal<QMessageBox>([&](QMessageBox* question) {
                    asked = question->text().contains(QStringLiteral("water.dat"));
                    QTest::mouseClick(question->button(answer), Qt::LeftButton);
                });
                ChoosePath(chooser, existing);
                if ((stayedOpen = chooser->isVisible())) chooser->reject();
            });
            QCOMPARE(ChooseFile(path, false), answer == QMessageBox::Yes);
            QVERIFY(asked);
            QCOMPARE(stayedOpen, answer == QMessageBox::No);
        }
        QCOMPARE(QString::fromStdString(path), existing);
    }

    // Whichever mode, a chooser opens in the folder where the last one ended.
    void ChoosersStartInTheFolderTheLastOneEndedIn() {
        QTemporaryDir folder;
        WhenModal<QFileDialog>(
            [&](QFileDialog* chooser) { ChoosePath(chooser, folder.filePath("new.dat")); });
        std::string path;
        QVERIFY(ChooseFile(path, false));
        QString opened;
        WhenModal<QFileDialog>([&](QFileDialog* chooser) {
            opened = chooser->directory().canonicalPath();
            chooser->reject();
        });
        QVERIFY(!ChooseFile(path, true));
        QCOMPARE(opened, QDir(folder.path()).canonicalPath());
    }

    void SaveRefusesAFolderThatIsMissing() {
        QTemporaryDir folder;
        const QString missing = folder.filePath("no such folder/water.dat");
        bool stayedOpen = false;
        WhenModal<QFileDialog>([&](QFileDialog* chooser) {
            WhenModal<QMessageBox>([&, chooser](QMessageBox* warning) {
                warning->accept();
                QTimer::singleShot(0, chooser, [&, chooser] {
                    stayedOpen = chooser->isVisible();
                    chooser->reject();
                });
            });
            ChoosePath(chooser, missing);
        });
        std::string path;
        QVERIFY(!ChooseFile(path, false));
        QVERIFY(stayedOpen);
        QCOMPARE(path, std::string());
    }

    void OpenTakesOnlyAFileThatExists() {
        QTemporaryDir folder;
        const QString existing = folder.filePath("nitrite.hpr");
        WriteFile(existing, "Nitrite\n");
        bool stayedOpen = false;
        bool warned = false;
        WhenModal<QFileDialog>([&](QFileDialog* chooser) {
            // The Open button does not take a missing name, and Enter gets
            // a warning; either way the chooser stays.
            ChoosePath(chooser, folder.filePath("missing.dat"));
            WhenModal<QMessageBox>([&](QMessageBox* warning) {
                warned = warning->text().contains(QStringLiteral("missing.dat"));
                warning->accept();
            });
            QTest::keyClick(Child<QLineEdit>(chooser, "fileNameEdit"), Qt::Key_Return);
            stayedOpen = chooser->isVisible();
            chooser->reject();
        });
        std::string path;
        QVERIFY(!ChooseFile(path, true));
        QVERIFY(stayedOpen);
        QVERIFY(warned);

        WhenModal<QFileDialog>([&](QFileDialog* chooser) { ChoosePath(chooser, existing); });
        QVERIFY(ChooseFile(path, true));
        QCOMPARE(QString::fromStdString(path), existing);
    }

    void APathLongerThan255BytesCountsAsCancelled() {
        QTemporaryDir folder;
        QString deep = folder.path();
        while (deep.size() < 180) deep += QLatin1Char('/') + QString(60, QLatin1Char('d'));
        QVERIFY(QDir().mkpath(deep));
        const QString longName = deep + QLatin1Char('/') + QString(80, QLatin1Char('m'));
        QVERIFY(longName.toUtf8().size() > 255);
        WhenModal<QFileDialog>([&](QFileDialog* chooser) { ChoosePath(chooser, longName); });
        std::string path = "left over";
        QVERIFY(!ChooseFile(path, false));
        QCOMPARE(path, std::string());

        // Exactly 255 bytes still fits.
        QString fitting = deep + QLatin1Char('/');
        fitting += QString(255 - fitting.toUtf8().size(), QLatin1Char('f'));
        QCOMPARE(fitting.toUtf8().size(), qsizetype(255));
        WhenModal<QFileDialog>([&](QFileDialog* chooser) { ChoosePath(chooser, fitting); });
        QVERIFY(ChooseFile(path, false));
        QCOMPARE(QString::fromStdString(path), fitting);
    }
};

QTEST_MAIN(PromptsQtTest)
#include "prompts_qt_test.moc"
