// Test driver for the window program.
#include "gui_driver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QWheelEvent>

#include <csignal>

#include "commands.h"
#include "process_state.h"
#include "program_end.h"
#include "shell_state.h"
#include "window_program.h"

ModalAnswerer::ModalAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
}

void ModalAnswerer::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == current_ || !modal->isVisible()) return;
    current_ = modal;
    seen_.push_back({modal->windowTitle(), ShownText(modal)});
    if (answers_.empty()) return;
    Answer answer = std::move(answers_.front());
    answers_.pop_front();
    answer(modal);
}

QAbstractButton* FindButton(QWidget* widget, const QString& text) {
    for (QAbstractButton* button : widget->findChildren<QAbstractButton*>()) {
        QString caption = button->text();
        caption.remove('&');
        if (caption == text) return button;
    }
    return nullptr;
}

QString ShownText(QWidget* widget) {
    if (auto* box = qobject_cast<QMessageBox*>(widget)) return box->text();
    const auto labels = widget->findChildren<QLabel*>();
    return labels.isEmpty() ? QString() : labels.first()->text();
}

ModalAnswerer::Answer Press(const QString& button, int waitMs) {
    return [button, waitMs](QWidget* modal) {
        QPointer<QWidget> target = modal;
        QTimer::singleShot(waitMs, [target, button] {
            if (!target) return;
            QAbstractButton* found = FindButton(target, button);
            EXPECT_NE(found, nullptr) << "no button " << button.toStdString();
            if (found) found->click();
        });
    };
}

ModalAnswerer::Answer TypeAndPress(const QString& text, const QString& button) {
    return [text, button](QWidget* modal) {
        QPointer<QWidget> target = modal;
        QTimer::singleShot(0, [target, text, button] {
            if (!target) return;
            QLineEdit* edit = target->findChild<QLineEdit*>();
            EXPECT_NE(edit, nullptr);
            if (edit) edit->setText(text);
            QAbstractButton* found = FindButton(target, button);
            EXPECT_NE(found, nullptr) << "no button " << button.toStdString();
            if (found) found->click();
        });
    };
}

int RunProgram(const std::string& file, const std::function<void()>& body, int timeoutMs) {
    // Each run is a program started afresh: it reads the settings file again.
    ResetProcessState();
    int status = 0;
    if (!StartWindowProgram(file, status)) return status;
    bool timedOut = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        timedOut = true;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != shellState.mainWindow && w->isVisible()) w->close();
        EndProgram();
    });
    watchdog.start(timeoutMs);
    QTimer::singleShot(0, [&] {
        body();
        if (shellState.mainWindow) EndProgram();
    });
    status = QApplication::exec();
    EXPECT_FALSE(timedOut) << "the program did not end";
    return status;
}

void SendMouse(QWidget* widget, int type, QPoint at, Qt::MouseButton button,
               Qt::KeyboardModifiers modifiers) {
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(static_cast<QEvent::Type>(type), local, local, global,
                      type == QEvent::MouseMove ? Qt::NoButton : button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

void SendWheel(QWidget* widget, int deltaY, Qt::KeyboardModifiers modifiers) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, deltaY), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

void SendKey(QWidget* widget, int type, int key, Qt::KeyboardModifiers modifiers,
             const QString& text, bool autoRepeat) {
    QKeyEvent event(static_cast<QEvent::Type>(type), key, modifiers, text, autoRepeat);
    QApplication::sendEvent(widget, &event);
}

void ClickKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers) {
    SendKey(widget, QEvent::KeyPress, key, modifiers);
    SendKey(widget, QEvent::KeyRelease, key, modifiers);
}

void Wait(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

WindowManager::WindowManager() {
    qint64 pid = 0;
    if (!QProcess::startDetached("openbox", {"--sm-disable"}, QString(), &pid)) return;
    pid_ = pid;
    // Ready once it answers for the desktops it manages.
    running_ = WaitUntil(
        [] {
            QProcess query;
            query.start("xdotool", {"get_num_desktops"});
            return query.waitForFinished(2000) && query.exitCode() == 0;
        },
        10000);
    Wait(200);
}

WindowManager::~WindowManager() {
    if (pid_ > 0) kill(static_cast<pid_t>(pid_), SIGTERM);
    Wait(200);
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        Wait(20);
    }
    return true;
}
