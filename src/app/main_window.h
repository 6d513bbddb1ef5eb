// The main window: the menu, the OpenGL view that fills it, the two timers
// that step the layout and draw the frames, and the mouse and keyboard
// handling that turns input into camera moves, drags and commands.
#pragma once

#include <QMainWindow>
#include <QOpenGLWidget>
#include <QTimer>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "picture_state.h"
#include "view_state.h"

// The drawing area. Its size is the client area of the program: the
// viewport of every frame, kept in the settings' window width and height.
class GLView : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit GLView(QWidget* parent);
    // False once the context turned out unable to draw the program's frames.
    bool contextUsable() const { return contextUsable_; }
    // Frames drawn so far.
    long framesDrawn() const { return framesDrawn_; }

signals:
    void contextFailed();

protected:
    void initializeGL() override;
    void paintGL() override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool contextUsable_ = true;
    long framesDrawn_ = 0;
};

class QLabel;
class QPushButton;

// A child process at work for the window (an import, an export, a SMILES
// build): while it runs, the window's events go on (the picture draws, the
// window moves and resizes, the menus open), the status bar shows what the
// child does and for how long with a Cancel button, and the commands that
// would change the molecule wait. Installed once at start-up.
void InstallChildWaiting();
// Gives up on the child at work, if any (it is killed and its work counts
// for nothing); then runs then, once the child has ended, or at once when
// none is at work.
void CancelChildWork(std::function<void()> then = {});

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow();
    GLView* view() const { return view_; }
    // The flight and scaling keys as held now, for the frame about to be drawn.
    ViewInput SampleViewInput() const;
    // Places the window so the view sits where the settings say the client
    // area was, with the size they give the outer frame.
    void PlaceFromSettings();
    // Stops both timers; the program is ending.
    void StopTimers();
    // Stores the view's place and size in the settings, as the window moves
    // and resizes.
    void RecordGeometry();
    // The view has drawn a frame from the state as it is now.
    void NoteFrameDrawn();
    // Shows in the status bar that activity has run for seconds, with the
    // Cancel button; a negative seconds hides both.
    void ShowChildWork(const std::string& activity, long long seconds);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenu();
    // Brings the Undo and Redo items and the status bar up to date.
    void RefreshStatus();
    // Whether the next frame would show something the last did not.
    bool FrameDue();

    GLView* view_ = nullptr;
    QTimer simulationTimer_;
    QTimer frameTimer_;
    QAction* undoItem_ = nullptr;
    QAction* redoItem_ = nullptr;
    QLabel* statusLine_ = nullptr;
    QLabel* progressLine_ = nullptr;         // what a child process does, while it does it
    QPushButton* cancelButton_ = nullptr;    // gives up on that child
    std::map<int, QAction*> commandItems_;   // every menu item, by command id
    std::set<int> heldKeys_;                 // flight and scaling keys held down, as ViewKey values
    unsigned long inputEvents_ = 0;          // input events seen anywhere in the program
    unsigned long drawnInputEvents_ = ~0ul;  // of those, the ones the last frame followed
    PictureState drawn_;                     // what the last frame was drawn from
};
