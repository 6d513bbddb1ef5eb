// The program's side of the prompt seam: Qt message boxes, the Add New
// Element box and Qt's own file dialog for choosing molecule files, all
// modal over the main window once it exists. The headless modes of the same
// program run without a QApplication and answer on stderr instead.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QIcon>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTreeView>
#include <algorithm>

#include "dialog_support.h"
#include "dialogs.h"
#include "headless_prompts.h"
#include "prompts.h"
#include "shell_state.h"

namespace {

// The longest path the chooser hands back, in bytes; anything longer counts
// as cancelled, as if the chooser could not hold it.
constexpr std::size_t kLongestPath = 255;

QMessageBox::StandardButton RunMessageBox(const std::string& text, const std::string& caption,
                                          QMessageBox::StandardButtons buttons,
                                          QMessageBox::StandardButton defaultButton,
                                          QMessageBox::StandardButton escapeButton) {
    QMessageBox box(QMessageBox::NoIcon, ToQString(caption), ToQString(text), buttons,
                    shellState.mainWindow);
    // Messages carry file names and typed text: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(escapeButton);
    // Plain buttons, like the rest of the program's dialogs.
    for (QAbstractButton* button : box.buttons()) button->setIcon(QIcon());
    // A short text makes a narrow box, and the window manager then cuts the
    // caption ("Quit ... gram"): the box is kept wide enough for it.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(RoomForCaption(box, box.windowTitle()), 0,
                                      QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    return clicked == QMessageBox::NoButton ? escapeButton : clicked;
}

// Qt's own file dialog (not the desktop's), so it looks and behaves the
// same everywhere. Open mode takes only an existing file; save mode takes
// any name in an existing folder and asks before replacing a file. Each
// chooser starts in the folder the last one ended in.
class MoleculeFileDialog : public QFileDialog {
public:
    MoleculeFileDialog(QWidget* owner, bool openMode, const QString& filters = {})
        : QFileDialog(owner) {
        setOption(QFileDialog::DontUseNativeDialog);
        if (filters.isEmpty()) {
            setOption(QFileDialog::HideNameFilterDetails);
            setNameFilters(
                {QStringLiteral("All (*)"), QStringLiteral("Allowed Data Files (*.dat *.hpr)")});
            selectNameFilter(QStringLiteral("All (*)"));
        } else {
            setNameFilters(filters.split(QStringLiteral(";;")));
            // Saving, a name typed without an extension takes the chosen
            // chemistry format's first one (MDL's, which keeps every link
            // order and charge, under "All supported"), so the format is
            // never a guess. Under the own format's filters ("All",
            // "Allowed Data Files") the name stays as typed.
            if (!openMode) {
                connect(this, &QFileDialog::filterSelected, this, [this](const QString& filter) {
                    const qsizetype star = filter.indexOf(QStringLiteral("*."));
                    const qsizetype end =
                        filter.indexOf(QRegularExpression(QStringLiteral("[ )]")), star);
                    if (filter.startsWith(QStringLiteral("All supported")))
                        setDefaultSuffix(QStringLiteral("sdf"));
                    else if (filter.startsWith(QStringLiteral("All")))
                        setDefaultSuffix(QString());
                    else if (star >= 0 && end > star)
                        setDefaultSuffix(filter.mid(star + 2, end - star - 2));
                });
                emit filterSelected(nameFilters().first());
            }
        }
        FitDetailColumns();
        if (openMode) {
            setAcceptMode(QFileDialog::AcceptOpen);
            setFileMode(QFileDialog::ExistingFile);
        } else {
            setAcceptMode(QFileDialog::AcceptSave);
            setFileMode(QFileDialog::AnyFile);
        }
        KeepChooserFolder(*this);
    }

    // Qt's chooser opens its Size, Type and Date Modified columns narrower
    // than what they show ("31....KiB", "PN...ge"). Once a folder has been
    // read they take the width of their contents; the chooser opens wide
    // enough for them beside the names (showEvent).
    void FitDetailColumns() {
        auto* files = findChild<QTreeView*>(QStringLiteral("treeView"));
        auto* model = findChild<QFileSystemModel*>();
        if (!files || !model) return;
        connect(model, &QFileSystemModel::directoryLoaded, files, [files, model] {
            for (int column = 1; column < model->columnCount(); ++column)
                files->resizeColumnToContents(column);
        });
    }

    void showEvent(QShowEvent* event) override {
        QFileDialog::showEvent(event);
        const int wide = fontMetrics().averageCharWidth() * 120;
        if (width() < wide) resize(wide, height());
    }

    void accept() override {
        // Qt's save dialog would take a name in a folder that does not exist;
        // the file could then never be written.
        const QStringList files = selectedFiles();
        if (acceptMode() == QFileDialog::AcceptSave && !files.isEmpty()) {
            const QFileInfo chosen(files.first());
            if (!chosen.isDir() && !QFileInfo(chosen.absolutePath()).isDir()) {
                QMessageBox::warning(this, windowTitle(),
                                     QStringLiteral("%1\nFolder not found.\nPlease verify the "
                                                    "correct folder name was given.")
                                         .arg(QDir::toNativeSeparators(chosen.absolutePath())));
                return;
            }
        }
        QFileDialog::accept();
    }
};

bool Headless() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr;
}

}  // namespace

void ShowMessage(const std::string& text, const std::string& caption) {
    if (Headless()) return headless::ShowMessage(text, caption);
    RunMessageBox(text, caption, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
}

bool AskYesNo(const std::string& text, const std::string& caption) {
    if (Headless()) return headless::AskYesNo(text, caption);
    // Enter answers Yes, the first button; Escape and the close box answer No.
    return RunMessageBox(text, caption, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes,
                         QMessageBox::No) == QMessageBox::Yes;
}

void ShowAddNewElementBox() {
    if (Headless()) return headless::ShowAddNewElementBox();
    RunAddNewElementBox(shellState.mainWindow);
}

bool ChooseFileOfFormats(std::string& path, bool openMode, const std::string& filters) {
    if (Headless()) return headless::ChooseFile(path, openMode);
    path.clear();
    MoleculeFileDialog dialog(shellState.mainWindow, openMode, ToQString(filters));
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return false;
    const std::string chosen = QFile::encodeName(files.first()).toStdString();
    if (chosen.empty() || chosen.size() > kLongestPath) return false;
    path = chosen;
    return true;
}

bool ChooseFile(std::string& path, bool openMode) {
    return ChooseFileOfFormats(path, openMode, {});
}

void ResetPrompts() {}
