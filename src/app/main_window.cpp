// The main window and its view.
//
// Sections: the view (context, frames, mouse), the window (menu, timers,
// keys, geometry), the child at work (the wait's event loop, Cancel).
#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QWheelEvent>
#include <cstdlib>
#include <cstring>

#include <poll.h>
#include <xcb/xcb.h>

#include "commands.h"
#include "format_io.h"
#include "frame.h"
#include "gl_setup.h"
#include "isolated_call.h"
#include "key_presses.h"
#include "molecule.h"
#include "notices.h"
#include "pointer_input.h"
#include "recent_files.h"
#include "settings.h"
#include "shell_state.h"
#include "simulation.h"
#include "undo.h"
#include "view_state.h"
#include "window_place.h"

namespace {

// The keys that the frame samples rather than acting on release.
enum ViewKey { kFullStop, kComma, kUp, kDown };

// Scan codes of the X keyboard (evdev) for keys whose character changes with
// Shift: the main-keyboard digits 1 to 9, the comma and the full stop.
constexpr quint32 kScanDigit1 = 10;
constexpr quint32 kScanDigit9 = 18;
constexpr quint32 kScanComma = 59;
constexpr quint32 kScanFullStop = 60;

bool ShiftHeld(Qt::KeyboardModifiers modifiers) {
    return modifiers & Qt::ShiftModifier;
}
bool CtrlHeld(Qt::KeyboardModifiers modifiers) {
    return modifiers & Qt::ControlModifier;
}

int ViewKeyOf(const QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Period:
        case Qt::Key_Greater:
            return kFullStop;
        case Qt::Key_Comma:
        case Qt::Key_Less:
            return kComma;
        case Qt::Key_Up:
            return kUp;
        case Qt::Key_Down:
            return kDown;
        default:
            break;
    }
    if (event->nativeScanCode() == kScanFullStop) return kFullStop;
    if (event->nativeScanCode() == kScanComma) return kComma;
    return -1;
}

// Where the numeric keypad stands for a shortcut key.
enum class Keypad { Either, Never, Only };

struct KeyBinding {
    int qtKey;
    Keypad keypad;
    ShortcutKey key;
};
// The shortcut keys by Qt key code. The digits count on the main keyboard
// only; with Shift they are also found by their place (scan code), below.
const KeyBinding kKeyBindings[] = {
    {Qt::Key_Escape, Keypad::Either, ShortcutKey::Escape},
    {Qt::Key_Delete, Keypad::Either, ShortcutKey::Delete},
    {Qt::Key_1, Keypad::Never, ShortcutKey::Digit1},
    {Qt::Key_2, Keypad::Never, ShortcutKey::Digit2},
    {Qt::Key_3, Keypad::Never, ShortcutKey::Digit3},
    {Qt::Key_4, Keypad::Never, ShortcutKey::Digit4},
    {Qt::Key_5, Keypad::Never, ShortcutKey::Digit5},
    {Qt::Key_6, Keypad::Never, ShortcutKey::Digit6},
    {Qt::Key_7, Keypad::Never, ShortcutKey::Digit7},
    {Qt::Key_8, Keypad::Never, ShortcutKey::Digit8},
    {Qt::Key_9, Keypad::Never, ShortcutKey::Digit9},
    {Qt::Key_A, Keypad::Either, ShortcutKey::A},
    {Qt::Key_C, Keypad::Either, ShortcutKey::C},
    {Qt::Key_D, Keypad::Either, ShortcutKey::D},
    {Qt::Key_I, Keypad::Either, ShortcutKey::I},
    {Qt::Key_J, Keypad::Either, ShortcutKey::J},
    {Qt::Key_L, Keypad::Either, ShortcutKey::L},
    {Qt::Key_O, Keypad::Either, ShortcutKey::O},
    {Qt::Key_P, Keypad::Either, ShortcutKey::P},
    {Qt::Key_S, Keypad::Either, ShortcutKey::S},
    {Qt::Key_T, Keypad::Either, ShortcutKey::T},
    {Qt::Key_U, Keypad::Either, ShortcutKey::U},
    {Qt::Key_Plus, Keypad::Only, ShortcutKey::KeypadPlus},
    {Qt::Key_Minus, Keypad::Only, ShortcutKey::KeypadMinus},
};

// The shortcut of a released key pressed with the given modifiers, or false
// when it has none. With Ctrl, Z and Y undo and redo and nothing else.
bool ShortcutOf(const QKeyEvent* event, Qt::KeyboardModifiers pressed, ShortcutKey& key) {
    if (CtrlHeld(pressed) && (event->key() == Qt::Key_Z || event->key() == Qt::Key_Y)) {
        key = event->key() == Qt::Key_Y ? ShortcutKey::CtrlY
              : ShiftHeld(pressed)      ? ShortcutKey::CtrlShiftZ
                                        : ShortcutKey::CtrlZ;
        return true;
    }
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    for (const KeyBinding& binding : kKeyBindings)
        if (binding.qtKey == event->key() &&
            (binding.keypad == Keypad::Either || (binding.keypad == Keypad::Only) == keypad)) {
            key = binding.key;
            return true;
        }
    const quint32 scan = event->nativeScanCode();
    if (scan >= kScanDigit1 && scan <= kScanDigit9 && !keypad) {
        key = static_cast<ShortcutKey>(static_cast<int>(ShortcutKey::Digit1) +
                                       static_cast<int>(scan - kScanDigit1));
        return true;
    }
    return false;
}

// The physical key of an event: the X key code, or Qt's key code where the
// window system gives none.
unsigned KeyIdentity(const QKeyEvent* event) {
    const quint32 scan = event->nativeScanCode();
    return scan != 0 ? scan : 0x80000000u | static_cast<unsigned>(event->key());
}

// Whether Qt talks to an X server. Other platforms (Wayland, offscreen) may
// still offer the X11 interface, without a connection behind it.
bool OnX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Whether the keyboard holds the key now: true between the release and the
// press that the X server's key repeat sends. False where that cannot be
// told, and off X, where the repeat is Qt's own and marked as such.
bool KeyStillDown(const QKeyEvent* event) {
    const quint32 code = event->nativeScanCode();
    const auto* x11 =
        OnX11() ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection() || code < 8 || code > 255) return false;
    xcb_connection_t* connection = x11->connection();
    xcb_query_keymap_reply_t* reply =
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr);
    if (!reply) return false;
    const bool down = reply->keys[code / 8] & (1u << (code % 8));
    std::free(reply);
    return down;
}

MainWindow* TheMainWindow() {
    return qobject_cast<MainWindow*>(shellState.mainWindow);
}

// Whether the window manager holds the window maximised in both directions,
// read from the X server now. Qt's own state can lag behind the sizes: under
// openbox a maximised window's new size arrives while Qt still reports it
// normal, and would be taken for the restored size. Off X, Qt's own state is
// all there is.
bool ServerSaysMaximised(const QWidget* window) {
    const auto* x11 =
        OnX11() ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection() || !window->internalWinId()) return false;
    xcb_connection_t* connection = x11->connection();
    const auto atom = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 1, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t found = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return found;
    };
    // Atoms stay for the life of the X server: asked for once.
    static const xcb_atom_t state = atom("_NET_WM_STATE");
    static const xcb_atom_t vertical = atom("_NET_WM_STATE_MAXIMIZED_VERT");
    static const xcb_atom_t horizontal = atom("_NET_WM_STATE_MAXIMIZED_HORZ");
    if (state == XCB_ATOM_NONE || vertical == XCB_ATOM_NONE || horizontal == XCB_ATOM_NONE)
        return false;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, static_cast<xcb_window_t>(window->internalWinId()), state,
                         XCB_ATOM_ATOM, 0, 64),
        nullptr);
    if (!reply) return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    const int count = xcb_get_property_value_length(reply) / static_cast<int>(sizeof(xcb_atom_t));
    bool up = false, across = false;
    for (int i = 0; i < count; ++i) {
        up = up || atoms[i] == vertical;
        across = across || atoms[i] == horizontal;
    }
    std::free(reply);
    return up && across;
}

}  // namespace

// ---------------------------------------------------------------- the view

GLView::GLView(QWidget* parent) : QOpenGLWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void GLView::initializeGL() {
    // The shadows count in the stencil buffer and the picture is swapped in
    // from a back buffer: a context without them cannot draw the program.
    const QSurfaceFormat made = format();
    if (!context() || !context()->isValid() || made.stencilBufferSize() < kSurfaceStencilBits ||
        made.depthBufferSize() < 16) {
        contextUsable_ = false;
        emit contextFailed();
        return;
    }
    ShowNotices(SetupOpenGL());
}

void GLView::paintGL() {
    if (!contextUsable_) return;
    const qreal ratio = devicePixelRatioF();
    FrameInput input;
    input.width = static_cast<int>(width() * ratio);
    input.height = static_cast<int>(height() * ratio);
    input.mouseX = static_cast<int>(shellState.pointer.lastMouseX * ratio);
    input.mouseY = static_cast<int>(shellState.pointer.lastMouseY * ratio);
    input.pixelRatio = static_cast<float>(ratio);
    if (const MainWindow* window = TheMainWindow()) input.keys = window->SampleViewInput();
    RenderFrame(input);
    ++framesDrawn_;
    if (MainWindow* window = TheMainWindow()) window->NoteFrameDrawn();
}

void GLView::resizeEvent(QResizeEvent* event) {
    QOpenGLWidget::resizeEvent(event);
    viewState.viewWidth = width();  // the shape a molecule read is fitted to
    viewState.viewHeight = height();
    if (MainWindow* window = TheMainWindow()) window->RecordGeometry();
}

namespace {

PointerEvent PointerEventOf(PointerEvent::Kind kind, QPoint at, Qt::KeyboardModifiers modifiers) {
    PointerEvent event;
    event.kind = kind;
    event.x = at.x();
    event.y = at.y();
    event.shiftHeld = ShiftHeld(modifiers);
    event.ctrlHeld = CtrlHeld(modifiers);
    return event;
}

}  // namespace

void GLView::mousePressEvent(QMouseEvent* event) {
    using Kind = PointerEvent::Kind;
    const QPoint at = event->position().toPoint();
    // Selecting and dragging change the molecule: not while a child works on it.
    if (event->button() == Qt::LeftButton && IsolatedWorkUnderWay()) return;
    if (event->button() == Qt::LeftButton) {
        // A press on an atom may start a drag, one undo step from here.
        BeginAtomDrag();
        HandlePointerEvent(PointerEventOf(Kind::LeftPress, at, event->modifiers()),
                           shellState.pointer);
        if (molecule.currentNode == -1) EndAtomDrag();
    } else if (event->button() == Qt::RightButton)
        HandlePointerEvent(PointerEventOf(Kind::RightPress, at, event->modifiers()),
                           shellState.pointer);
}

void GLView::mouseReleaseEvent(QMouseEvent* event) {
    using Kind = PointerEvent::Kind;
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        HandlePointerEvent(PointerEventOf(Kind::LeftRelease, at, event->modifiers()),
                           shellState.pointer);
        EndAtomDrag();
    } else if (event->button() == Qt::RightButton)
        HandlePointerEvent(PointerEventOf(Kind::RightRelease, at, event->modifiers()),
                           shellState.pointer);
}

void GLView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (molecule.dragging && molecule.currentNode != -1 &&
        at != QPoint(shellState.pointer.lastMouseX, shellState.pointer.lastMouseY))
        NoteAtomDragged();
    HandlePointerEvent(PointerEventOf(PointerEvent::Kind::Move, at, event->modifiers()),
                       shellState.pointer);
}

void GLView::wheelEvent(QWheelEvent* event) {
    // A sideways scroll has no vertical turn and moves nothing.
    PointerEvent wheel = PointerEventOf(PointerEvent::Kind::Wheel, QPoint(), event->modifiers());
    wheel.wheelTurn = event->angleDelta().y();
    HandlePointerEvent(wheel, shellState.pointer);
}

// -------------------------------------------------------------- the window

MainWindow::MainWindow() {
    setWindowTitle("Tessaril 2006");
    setFocusPolicy(Qt::StrongFocus);
    view_ = new GLView(this);
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

namespace {

enum class Entry { Menu, SubMenu, EndSubMenu, Item, MarkedItem, Separator, RecentFiles };

struct MenuEntry {
    Entry kind;
    const char* caption = nullptr;
    int id = 0;  // the command of an item
};

using namespace CommandId;
// The main menu from left to right and top to bottom. A Menu entry starts a
// top menu; the entries between SubMenu and EndSubMenu form a submenu.
// Marked items carry a check mark.
const MenuEntry kMenu[] = {
    {Entry::Menu, "&File"},
    {Entry::Item, "&New", kNew},
    {Entry::Item, "New from S&MILES...", kNewFromSmiles},
    {Entry::Item, "&Load", kLoad},
    {Entry::Item, "&Save", kSave},
    {Entry::Separator},
    {Entry::Item, "&Import...", kImport},
    {Entry::Item, "Expor&t...", kExport},
    {Entry::Item, "Export &Picture...", kExportPicture},
    {Entry::RecentFiles, "Recent &Files"},
    {Entry::Separator},
    {Entry::Item, "&Exit", kExit},

    {Entry::Menu, "&Edit"},
    {Entry::Item, "&Rename", kRename},
    {Entry::Item, "Set &Formula", kSetFormula},
    {Entry::Separator},
    {Entry::Item, "&Add New Atom", kAddNewAtom},
    {Entry::Item, "&Join Atoms", kJoinAtoms},
    {Entry::Item, "&Unjoin Atoms", kUnjoinAtoms},
    {Entry::Separator},
    {Entry::MarkedItem, "&Set Controls", kSetControls},
    {Entry::Item, "&Check Molecule", kCheckMolecule},
    {Entry::Separator},
    {Entry::Item, "Add &Hydrogens", kAddHydrogens},
    {Entry::Separator},
    {Entry::Item, "U&ndo", kUndo},
    {Entry::Item, "Re&do", kRedo},

    {Entry::Menu, "&View"},
    {Entry::SubMenu, "&Colour Setup"},
    {Entry::Item, "Electron &Cloud", kCloudColour},
    {Entry::Item, "&Background", kBackgroundColour},
    {Entry::Item, "&Highlight", kHighlightColour},
    {Entry::Item, "&Element", kElementColour},
    {Entry::Item, "&Select", kSelectColour},
    {Entry::Item, "&Text", kTextColour},
    {Entry::Item, "&Links", kLinkColour},
    {Entry::EndSubMenu},
    {Entry::SubMenu, "&Text Labels"},
    {Entry::MarkedItem, "&None", kLabelsNone},
    {Entry::MarkedItem, "&Symbols", kLabelsSymbols},
    {Entry::MarkedItem, "&Full Names", kLabelsFullNames},
    {Entry::EndSubMenu},
    {Entry::SubMenu, "Text Si&ze"},
    {Entry::MarkedItem, "&Tiny", kSizeTiny},
    {Entry::MarkedItem, "&Small", kSizeSmall},
    {Entry::MarkedItem, "&Normal", kSizeNormal},
    {Entry::MarkedItem, "&Large", kSizeLarge},
    {Entry::MarkedItem, "&Huge", kSizeHuge},
    {Entry::EndSubMenu},
    {Entry::MarkedItem, "S&pecular Highlights", kSpecular},
    {Entry::MarkedItem, "&Invert Colours", kInvertColours},
    {Entry::MarkedItem, "&Squash to 2D", kSquash},
    {Entry::MarkedItem, "&Shadows", kShadows},
    {Entry::MarkedItem, "&Demo", kDemo},
    {Entry::MarkedItem, "Run &Layout", kRunLayout},

    {Entry::Menu, "&Help"},
    {Entry::Item, "&About", kAbout},
    {Entry::Item, "&Website", kWebsite},
};

}  // namespace

void MainWindow::BuildMenu() {
    QMenu* top = nullptr;
    QMenu* current = nullptr;
    for (const MenuEntry& entry : kMenu) {
        switch (entry.kind) {
            case Entry::Menu:
                top = current = menuBar()->addMenu(entry.caption);
                break;
            case Entry::SubMenu:
                current = top->addMenu(entry.caption);
                break;
            case Entry::EndSubMenu:
                current = top;
                break;
            case Entry::Separator:
                current->addSeparator();
                break;
            case Entry::RecentFiles:
                AttachRecentFilesMenu(top->addMenu(entry.caption));
                break;
            case Entry::Item:
            case Entry::MarkedItem: {
                QAction* action = current->addAction(entry.caption);
                if (entry.kind == Entry::MarkedItem) RegisterMenuAction(entry.id, action);
                const int id = entry.id;
                connect(action, &QAction::triggered, this, [this, id] {
                    HandleCommand(id);
                    if (shellState.mainWindow == this) RefreshStatus();
                });
                commandItems_[id] = action;
                if (id == kUndo) undoItem_ = action;
                if (id == kRedo) redoItem_ = action;
                if (id == kExportPicture) action->setShortcut(QKeySequence("Ctrl+E"));
                action->setObjectName(id == kUndo ? "undo" : id == kRedo ? "redo" : "");
                break;
            }
        }
    }
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

// ------------------------------------------------------ the child at work

namespace {

struct ChildWait {
    std::string activity;                     // what the child does, for the status bar
    bool cancelled = false;                   // given up on: the next wake ends the wait
    QPointer<QEventLoop> loop;                // the wait's event loop while it runs
    std::vector<std::function<void()>> then;  // to run once the child has ended
};
ChildWait childWait;

// How often the status bar's count of seconds moves on.
constexpr int kProgressIntervalMs = 250;

bool WaitForChild(int fd, std::chrono::milliseconds elapsed) {
    if (childWait.cancelled) return false;
    MainWindow* window = TheMainWindow();
    if (!window) {  // the window has gone: wait as the command line does
        pollfd in{fd, POLLIN, 0};
        poll(&in, 1, kProgressIntervalMs);
        return !childWait.cancelled;
    }
    window->ShowChildWork(childWait.activity, elapsed.count() / 1000);
    QEventLoop loop;
    QSocketNotifier readable(fd, QSocketNotifier::Read);
    QObject::connect(&readable, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    QTimer::singleShot(kProgressIntervalMs, &loop, &QEventLoop::quit);
    childWait.loop = &loop;
    loop.exec();
    childWait.loop = nullptr;
    return !childWait.cancelled;
}

}  // namespace

void InstallChildWaiting() {
    SetIsolatedWaiting({[](const std::string& activity) {
                            childWait.activity = activity;
                            childWait.cancelled = false;
                        },
                        WaitForChild,
                        [] {
                            if (MainWindow* window = TheMainWindow()) window->ShowChildWork("", -1);
                            childWait.cancelled = false;
                            for (std::function<void()>& then : childWait.then)
                                QTimer::singleShot(0, std::move(then));
                            childWait.then.clear();
                        }});
}

void CancelChildWork(std::function<void()> then) {
    if (!IsolatedWorkUnderWay()) {
        if (then) then();
        return;
    }
    childWait.cancelled = true;
    if (then) childWait.then.push_back(std::move(then));
    if (childWait.loop) childWait.loop->quit();
}
