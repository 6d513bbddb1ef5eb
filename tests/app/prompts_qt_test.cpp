// The window program's prompts: message boxes, the Yes/No question, the Add
// New Element box and the file chooser in both modes, each answered by a
// timer as a person would.
#include <gtest/gtest.h>

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

using PromptsQtTest = DialogTest;

TEST_F(PromptsQtTest, MessageShowsTextAndCaptionWithOneOkAndNoIcon) {
    QWidget mainWindow;
    for (QWidget* owner : {static_cast<QWidget*>(nullptr), &mainWindow}) {
        shellState.mainWindow = owner;
        bool seen = false;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), QStringLiteral("File <Error>!"));
            EXPECT_EQ(box->text(), QStringLiteral("Unable to open file <b>x</b>!\nline two"));
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            EXPECT_EQ(box->parentWidget(), owner);
            ASSERT_EQ(box->buttons().size(), qsizetype(1));
            EXPECT_EQ(box->standardButton(box->buttons()[0]), QMessageBox::Ok);
            seen = true;
            QTest::keyClick(box, Qt::Key_Return);
        });
        ShowMessage("Unable to open file <b>x</b>!\nline two", "File <Error>!");
        EXPECT_TRUE(seen);
    }
}

// A short text must not make a box too narrow for its caption: the
// window manager would cut it ("Quit ... gram").
TEST_F(PromptsQtTest, BoxesAreWideEnoughForTheirCaptions) {
    for (const char* caption : {"Quit Program", "Unknown Element", "Selection error"}) {
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            QFont bold = box->font();
            bold.setBold(true);
            const int title = QFontMetrics(bold).horizontalAdvance(QString::fromLatin1(caption));
            EXPECT_GE(box->width(), title + 100) << caption;
            QTest::keyClick(box, Qt::Key_Escape);
        });
        AskYesNo("Really Quit?", caption);
    }
}

TEST_F(PromptsQtTest, QuestionAnswersYesOnlyForYes) {
    struct Answer {
        const char* how;
        bool expected;
    };
    for (const Answer answer : {Answer{"yes", true}, Answer{"no", false}, Answer{"escape", false},
                                Answer{"enter", true}}) {
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Exit"));
            EXPECT_EQ(box->text(), QStringLiteral("Really Quit?"));
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            const QString how = QString::fromLatin1(answer.how);
            if (how == "yes") QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
            if (how == "no") QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
            if (how == "escape") QTest::keyClick(box, Qt::Key_Escape);
            if (how == "enter") QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(AskYesNo("Really Quit?", "Exit"), answer.expected);
    }
}

TEST_F(PromptsQtTest, AddNewElementBoxOpensEmptyAndHandsBackWhatOkStores) {
    QWidget mainWindow;
    shellState.mainWindow = &mainWindow;
    inputText = "stale";
    WhenModal<QDialog>([&](QDialog* box) {
        EXPECT_EQ(box->parentWidget(), &mainWindow);
        EXPECT_TRUE(box->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(Child<QLabel>(box, "label")->text(), QStringLiteral("Add New Element"));
        auto* edit = Child<QLineEdit>(box, "edit");
        EXPECT_EQ(edit->text(), QString());
        EXPECT_EQ(inputText, std::string());
        // Up to five seconds for the focus to arrive; the check reports it if not.
        static_cast<void>(QTest::qWaitFor([&] { return QApplication::focusWidget() == edit; }));
        EXPECT_EQ(QApplication::focusWidget(), edit);
        QTest::keyClicks(edit, QStringLiteral("Carbon"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    ShowAddNewElementBox();
    EXPECT_EQ(inputText, std::string("Carbon"));

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
        EXPECT_EQ(inputText, std::string());
    }
}

TEST_F(PromptsQtTest, ChooserOffersBothFiltersAndCancelGivesNothing) {
    QWidget mainWindow;
    shellState.mainWindow = &mainWindow;
    for (const bool openMode : {true, false}) {
        WhenModal<QFileDialog>([&](QFileDialog* chooser) {
            EXPECT_EQ(chooser->parentWidget(), &mainWindow);
            EXPECT_EQ(chooser->acceptMode(),
                      openMode ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
            EXPECT_EQ(chooser->nameFilters(),
                      QStringList({"All (*)", "Allowed Data Files (*.dat *.hpr)"}));
            EXPECT_EQ(chooser->selectedNameFilter(), QStringLiteral("All"));
            auto* types = Child<QComboBox>(chooser, "fileTypeCombo");
            EXPECT_EQ(types->count(), 2);
            EXPECT_EQ(types->itemText(1), QStringLiteral("Allowed Data Files"));
            EXPECT_EQ(types->currentText(), QStringLiteral("All"));
            EXPECT_EQ(Child<QLineEdit>(chooser, "fileNameEdit")->text(), QString());
            chooser->reject();
        });
        std::string path = "left over";
        EXPECT_FALSE(ChooseFile(path, openMode));
        EXPECT_EQ(path, std::string());
    }
}

// Size, Type and Date Modified show whole, not cut to "31....KiB", even
// when Qt brings back narrow columns from an earlier chooser.
TEST_F(PromptsQtTest, ChooserColumnsShowTheirContentsWhole) {
    QTemporaryDir folder;
    WriteFile(folder.filePath("a-rather-long-name-of-a-molecule.png"), "\x89PNG\r\n\x1a\n");
    WriteFile(folder.filePath("notes.txt"), std::string(40000, 'x').c_str());
    WhenModal<QFileDialog>([&](QFileDialog* chooser) {
        auto* files = Child<QTreeView>(chooser, "treeView");
        for (int column = 1; column <= 3; ++column) files->setColumnWidth(column, 20);
        chooser->setDirectory(folder.path());
        static_cast<void>(
            QTest::qWaitFor([&] { return files->model()->rowCount(files->rootIndex()) == 2; }));
        ASSERT_EQ(files->model()->rowCount(files->rootIndex()), 2);
        QTest::qWait(100);
        for (int column = 1; column <= 3; ++column)
            EXPECT_GE(files->columnWidth(column),
                      static_cast<QAbstractItemView*>(files)->sizeHintForColumn(column))
                << "column " << column;
        chooser->reject();
    });
    std::string path;
    EXPECT_FALSE(ChooseFile(path, true));
}

TEST_F(PromptsQtTest, SaveTakesANameAsTypedAndAsksBeforeReplacing) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString bare = folder.filePath("molecule");
    WhenModal<QFileDialog>([&](QFileDialog* chooser) {
        chooser->setDirectory(folder.path());
        ChoosePath(chooser, QStringLiteral("molecule"));
    });
    std::string path;
    EXPECT_TRUE(ChooseFile(path, false));
    EXPECT_EQ(QString::fromStdString(path), bare);

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
        EXPECT_EQ(ChooseFile(path, false), answer == QMessageBox::Yes);
        EXPECT_TRUE(asked);
        EXPECT_EQ(stayedOpen, answer == QMessageBox::No);
    }
    EXPECT_EQ(QString::fromStdString(path), existing);
}

// Whichever mode, a chooser opens in the folder where the last one ended.
TEST_F(PromptsQtTest, ChoosersStartInTheFolderTheLastOneEndedIn) {
    QTemporaryDir folder;
    WhenModal<QFileDialog>(
        [&](QFileDialog* chooser) { ChoosePath(chooser, folder.filePath("new.dat")); });
    std::string path;
    ASSERT_TRUE(ChooseFile(path, false));
    QString opened;
    WhenModal<QFileDialog>([&](QFileDialog* chooser) {
        opened = chooser->directory().canonicalPath();
        chooser->reject();
    });
    EXPECT_FALSE(ChooseFile(path, true));
    EXPECT_EQ(opened, QDir(folder.path()).canonicalPath());
}

TEST_F(PromptsQtTest, SaveRefusesAFolderThatIsMissing) {
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
    EXPECT_FALSE(ChooseFile(path, false));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(path, std::string());
}

TEST_F(PromptsQtTest, OpenTakesOnlyAFileThatExists) {
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
    EXPECT_FALSE(ChooseFile(path, true));
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(warned);

    WhenModal<QFileDialog>([&](QFileDialog* chooser) { ChoosePath(chooser, existing); });
    EXPECT_TRUE(ChooseFile(path, true));
    EXPECT_EQ(QString::fromStdString(path), existing);
}

TEST_F(PromptsQtTest, APathLongerThan255BytesCountsAsCancelled) {
    QTemporaryDir folder;
    QString deep = folder.path();
    while (deep.size() < 180) deep += QLatin1Char('/') + QString(60, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkpath(deep));
    const QString longName = deep + QLatin1Char('/') + QString(80, QLatin1Char('m'));
    ASSERT_GT(longName.toUtf8().size(), 255);
    WhenModal<QFileDialog>([&](QFileDialog* chooser) { ChoosePath(chooser, longName); });
    std::string path = "left over";
    EXPECT_FALSE(ChooseFile(path, false));
    EXPECT_EQ(path, std::string());

    // Exactly 255 bytes still fits.
    QString fitting = deep + QLatin1Char('/');
    fitting += QString(255 - fitting.toUtf8().size(), QLatin1Char('f'));
    ASSERT_EQ(fitting.toUtf8().size(), qsizetype(255));
    WhenModal<QFileDialog>([&](QFileDialog* chooser) { ChoosePath(chooser, fitting); });
    EXPECT_TRUE(ChooseFile(path, false));
    EXPECT_EQ(QString::fromStdString(path), fitting);
}
