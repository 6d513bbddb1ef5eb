// The main window: its menu, timers, keys, geometry and status bar.
#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include "child_wait.h"
#include "commands.h"
#include "format_io.h"
#include "isolated_call.h"
#include "key_bindings.h"
#include "key_presses.h"
#include "main_menu.h"
#include "molecule.h"
#include "program_end.h"
#include "recent_files.h"
#include "settings.h"
#include "shell_state.h"
#include "simulation.h"
#include "undo.h"
#include "view_state.h"
#include "window_place.h"
#include "x_server.h"

namespace {

MainWindow* TheMainWindow() {
    return qobject_cast<MainWindow*>(shellState.mainWindow);
}

}  // namespace

MainWindow::MainWindow() {
    setWindowTitle("Tessaril 2006");
    setFocusPolicy(Qt::StrongFocus);
    view_ = new GLView(this);
    view_->SetKeySource([this] { return SampleViewInput(); });
    connect(view_, &GLView::frameDrawn, this, &MainWindow::NoteFrameDrawn);
    connect(view_, &GLView::resized, this, &MainWindow::RecordGeometry);
    setCentralWidget(view_);
    setAcceptDrops(true);
    BuildMenu();
    // Below the view, so the view alone keeps the size the settings give.
    statusLine_ = new QLabel(this);
    statusLine_->setObjectName("statusLine");
    statusBar()->addWidget(statusLine_, 1);
    progressLine_ = new QLabel(this);
    progressLine_->setObjectName("progressLine");
    statusBar()->addPermanentWidget(progressLine_);
    cancelButton_ = new QPushButton("Cancel", this);
    cancelButton_->setObjectName("cancelChild");
    cancelButton_->setFocusPolicy(Qt::NoFocus);  // the keys stay with the window
    statusBar()->addPermanentWidget(cancelButton_);
    connect(cancelButton_, &QPushButton::clicked, [] { CancelChildWork(); });
    ShowChildWork("", -1);
    RefreshStatus();
    qApp->installEventFilter(this);

    // The layout steps at most about 100 times a second and frames come every
    // 20 ms, when they would show something new; both go on while a modal box
    // or dialog is open. Qt draws by itself on exposure and resizing.
    simulationTimer_.setTimerType(Qt::PreciseTimer);
    simulationTimer_.setInterval(10);
    connect(&simulationTimer_, &QTimer::timeout, [] {
        if (molecule.ready && !shellState.paused) SimulationStep();
    });
    frameTimer_.setTimerType(Qt::PreciseTimer);
    frameTimer_.setInterval(20);
    connect(&frameTimer_, &QTimer::timeout, this, [this] {
        if (FrameDue()) view_->update();
        // A paused layout needs no wake-ups: its timer rests until the next
        // tick finds it running again.
        if (shellState.paused && simulationTimer_.isActive()) simulationTimer_.stop();
        if (!shellState.paused && !simulationTimer_.isActive()) simulationTimer_.start();
    });
    for (const QMenu* menu : menuBar()->findChildren<QMenu*>())
        connect(menu, &QMenu::triggered, this, [this] { ++inputEvents_; });
    connect(&frameTimer_, &QTimer::timeout, this, &MainWindow::RefreshStatus);
    simulationTimer_.start();
    frameTimer_.start();
}

void MainWindow::BuildMenu() {
    commandItems_ = BuildMainMenu(menuBar(), [this](int id) {
        HandleCommand(id);
        if (shellState.mainWindow == this) RefreshStatus();
    });
    undoItem_ = commandItems_.at(CommandId::kUndo);
    redoItem_ = commandItems_.at(CommandId::kRedo);
}

void MainWindow::RefreshStatus() {
    // The keys act on release, so the items show their keys without taking them.
    const auto show = [](QAction* item, const std::string& text, const char* key, bool enabled) {
        const QString caption = QString::fromStdString(text) + '\t' + key;
        if (item->text() != caption) item->setText(caption);
        item->setEnabled(enabled);
    };
    const bool childWorks = IsolatedWorkUnderWay();
    for (const auto& [id, item] : commandItems_)
        if (item != undoItem_ && item != redoItem_)
            item->setEnabled(!childWorks || CommandRunsWhileChildWorks(id));
    show(undoItem_, UndoItemText(), "Ctrl+Z", CanUndo() && !childWorks);
    show(redoItem_, RedoItemText(), "Ctrl+Shift+Z", CanRedo() && !childWorks);
    const QString line = QString::fromStdString(StatusLineText());
    if (statusLine_->text() != line) statusLine_->setText(line);
    ShowMenuMarks();  // an option may have changed outside the menu (an import pauses the layout)
}

ViewInput MainWindow::SampleViewInput() const {
    ViewInput input;
    input.mainWindowActive =
        QApplication::activeWindow() == this && !QApplication::activeModalWidget();
    if (!input.mainWindowActive) return input;
    const Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
    input.shiftHeld = ShiftHeld(modifiers);
    input.ctrlHeld = CtrlHeld(modifiers);
    input.fullStopHeld = heldKeys_.count(kFullStop) > 0;
    input.commaHeld = heldKeys_.count(kComma) > 0;
    input.upHeld = heldKeys_.count(kUp) > 0;
    input.downHeld = heldKeys_.count(kDown) > 0;
    return input;
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    const int viewKey = ViewKeyOf(event);
    if (viewKey >= 0) {
        heldKeys_.insert(viewKey);
        return;
    }
    if (event->isAutoRepeat()) return;
    const unsigned identity = KeyIdentity(event);
    const bool wasHeld = shellState.keys.held.count(identity) > 0;
    unsigned ended = 0;
    if (KeyPressReceived(shellState.keys, identity, event->timestamp(),
                         static_cast<unsigned>(event->modifiers().toInt()), &ended)) {
        // The release before this press was real after all.
        ShortcutKey key;
        if (ShortcutOf(event, Qt::KeyboardModifiers::fromInt(static_cast<int>(ended)), key))
            HandleKey(key);
    } else if (wasHeld) {
        return;  // the key is still held: a repeat
    }
    // Enter and Escape in the main window ask whether to quit.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        HandleCommand(CommandId::kEnter);
    } else if (event->key() == Qt::Key_Escape) {
        HandleCommand(CommandId::kEscape);
    } else {
        QMainWindow::keyPressEvent(event);
    }
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) return;
    const int viewKey = ViewKeyOf(event);
    if (viewKey >= 0) {
        heldKeys_.erase(viewKey);
        return;
    }
    ShortcutKey key;
    unsigned pressed = 0;
    if (KeyReleaseReceived(shellState.keys, KeyIdentity(event), event->timestamp(),
                           KeyStillDown(event), &pressed) &&
        ShortcutOf(event, Qt::KeyboardModifiers::fromInt(static_cast<int>(pressed)), key))
        HandleKey(key);
    if (shellState.mainWindow == this) RefreshStatus();
}

bool MainWindow::FrameDue() {
    // The frame itself turns a spinning model and flies on held keys; a
    // person's input (in any window: a menu, a dialog) may change anything.
    if (viewState.demoSpin || !heldKeys_.empty() || inputEvents_ != drawnInputEvents_) return true;
    return PictureChanged(drawn_);
}

void MainWindow::NoteFrameDrawn() {
    drawnInputEvents_ = inputEvents_;
    CapturePicture(drawn_);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::Drop:
        case QEvent::Enter:
        case QEvent::Leave:
            ++inputEvents_;
            break;
        default:
            break;
    }
    // Presses and releases in menus, dialogs and message boxes: the release
    // that reaches this window afterwards ends no press made here.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const QWidget* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() != this)
            KeyWentElsewhere(shellState.keys, KeyIdentity(static_cast<QKeyEvent*>(event)));
    }
    return QMainWindow::eventFilter(watched, event);
}

namespace {

// The first local molecule file of a drop that the program can read, or "".
std::string DroppedMoleculeFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const std::string path = QFile::encodeName(url.toLocalFile()).toStdString();
        if (IsWritableMoleculePath(path)) return path;
    }
    return {};
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedMoleculeFile(event->mimeData()).empty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const std::string path = DroppedMoleculeFile(event->mimeData());
    if (path.empty()) return;
    event->acceptProposedAction();
    if (LoadAnyMoleculeFile(path, true)) NoteRecentFile(path);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close box ends the program at once, unless that would lose changes
    // and the person says No. A child at work is given up on first.
    if (IsolatedWorkUnderWay()) {
        event->ignore();
        CancelChildWork([] {
            if (MainWindow* window = TheMainWindow()) window->close();
        });
        return;
    }
    if (!MayEndWithUnsavedChanges()) {
        event->ignore();
        return;
    }
    event->accept();
    EndProgram();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    RecordGeometry();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Keys released while another window had the keyboard never reach this
    // one; forget them rather than fly on.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) heldKeys_.clear();
    if (event->type() == QEvent::WindowStateChange) RecordGeometry();
}

void MainWindow::RecordGeometry() {
    if (!isVisible() || isMinimized()) return;  // a minimised window has no place worth keeping
    const QPoint origin = view_->mapToGlobal(QPoint(0, 0));
    if (origin.x() != 0) {
        settings.WindowX = origin.x();
        settings.WindowY = origin.y();
    }
    settings.WindowWidth = view_->width();
    settings.WindowHeight = view_->height();
    if (!isMaximized() && !isFullScreen() && !ServerSaysMaximised(this)) {
        settings.restoredWidth = view_->width();
        settings.restoredHeight = view_->height();
    }
}

void MainWindow::PlaceFromSettings() {
    // The file gives the outer frame; the client area sits within it by the
    // frame insets. Both are kept within the screens.
    const QRect desktop = screen()->availableVirtualGeometry();
    const ClientPlace place = PlaceClientArea(
        settings.WindowX, settings.WindowY, settings.WindowWidth, settings.WindowHeight,
        {desktop.x(), desktop.y(), desktop.width(), desktop.height()});
    const QPoint viewOrigin(place.x, place.y);
    const QSize viewSize(place.width, place.height);
    resize(viewSize.width(), viewSize.height() + menuBar()->sizeHint().height());
    move(place.x - kFrameInsets.left, place.y - kFrameInsets.top);
    show();
    // Now that the window has its decorations, correct by what they took.
    resize(size() + (viewSize - view_->size()));
    move(pos() + (viewOrigin - view_->mapToGlobal(QPoint(0, 0))));
    RecordGeometry();
}

void MainWindow::StopTimers() {
    simulationTimer_.stop();
    frameTimer_.stop();
}

void MainWindow::ShowChildWork(const std::string& activity, long long seconds) {
    progressLine_->setVisible(seconds >= 0);
    cancelButton_->setVisible(seconds >= 0);
    if (seconds >= 0)
        progressLine_->setText(
            QString::fromStdString(activity + "... " + std::to_string(seconds) + " s"));
    RefreshStatus();
}
