// The main window: the menu, the OpenGL view that fills it, the two timers
// that step the layout and draw the frames, the keys, the status bar, and
// the window's place and size kept in the settings.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "gl_view.h"
#include "picture_state.h"
#include "view_state.h"

class QLabel;
class QPushButton;

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
