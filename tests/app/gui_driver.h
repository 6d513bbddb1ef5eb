// Driving the real window program in tests: running it inside the test's
// QApplication, answering its modal boxes from a script, and sending it
// mouse, wheel and key events.
#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QAbstractButton;

// Answers modal widgets as they appear, one scripted answer each, in order.
// Every modal widget seen is recorded with its title and text.
class ModalAnswerer {
public:
    using Answer = std::function<void(QWidget* modal)>;
    struct Seen {
        QString title;
        QString text;
    };
    ModalAnswerer();
    void Push(Answer answer) { answers_.push_back(std::move(answer)); }
    const std::vector<Seen>& seen() const { return seen_; }
    bool allAnswered() const { return answers_.empty(); }

private:
    void Poll();
    QTimer timer_;
    QPointer<QWidget> current_;
    std::deque<Answer> answers_;
    std::vector<Seen> seen_;
};

// Answers that press a button of a message box or dialog by its text ("OK",
// "Yes", "No", "Cancel"), after an optional wait in milliseconds.
ModalAnswerer::Answer Press(const QString& button, int waitMs = 0);
// An answer that types text into the dialog's line edit, then presses button.
ModalAnswerer::Answer TypeAndPress(const QString& text, const QString& button);

QAbstractButton* FindButton(QWidget* widget, const QString& text);
// The text a message box shows, or the text of a dialog's first label.
QString ShownText(QWidget* widget);

// Runs the window program on file (may be empty), from a fresh process
// state, and calls body once its event loop runs; the program is ended
// after body unless body ended it.
// Returns the exit status. A program that does not end within timeoutMs is
// ended and the test fails.
int RunProgram(const std::string& file, const std::function<void()>& body, int timeoutMs = 60000);

// A small window manager (openbox) on the test's X server for as long as the
// object lives, for what only a managed window does: maximising, minimising,
// frames. Running() is false when it could not be started.
class WindowManager {
public:
    WindowManager();
    ~WindowManager();
    bool Running() const { return running_; }

private:
    long long pid_ = 0;
    bool running_ = false;
};

// Waits up to ms milliseconds, letting the event loop run, until done()
// holds; returns whether it did.
bool WaitUntil(const std::function<bool()>& done, int ms = 5000);

// Input for the view and the main window, as the window system delivers it.
void SendMouse(QWidget* widget, int type, QPoint at, Qt::MouseButton button,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void SendWheel(QWidget* widget, int deltaY, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void SendKey(QWidget* widget, int type, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             const QString& text = QString(), bool autoRepeat = false);
// Press and release.
void ClickKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Lets the event loop run for about ms milliseconds.
void Wait(int ms);
