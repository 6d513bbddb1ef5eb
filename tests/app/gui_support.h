// Helpers for the GUI tests: answering modal dialogs from a timer, pressing
// the parts of a scroll bar like a mouse does, and a clean shell state.
#pragma once

#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <functional>

// Runs act on the next visible modal widget that is a T, from a timer that
// polls the event loop the modal dialog runs. If none shows within ten
// seconds, ModalTimedOut() turns true and the active modal widget is closed,
// so a test that waits for a dialog fails instead of hanging.
void WhenModalWidget(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> act);

template <typename T>
void WhenModal(std::function<void(T*)> act) {
    WhenModalWidget([](QWidget* widget) { return qobject_cast<T*>(widget) != nullptr; },
                    [act = std::move(act)](QWidget* widget) { act(qobject_cast<T*>(widget)); });
}

bool ModalTimedOut();

// The child of parent with the given object name.
template <typename T>
T* Child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}
// Answers asked for whose dialog has not shown yet; zero after a clean test.
int PendingModalAnswers();

// A left click on one part of a horizontal bar: an arrow
// (SC_ScrollBarSubLine, SC_ScrollBarAddLine) or the trough beside the thumb
// (SC_ScrollBarSubPage, SC_ScrollBarAddPage). False if the part has no room.
bool ClickBar(QScrollBar* bar, QStyle::SubControl part);

// Drags the thumb with the left button held to x, in the bar's pixels.
void DragThumb(QScrollBar* bar, int x);

// Deletes the widgets whose deletion was put off, as the event loop would.
void DeleteClosedWidgets();

// Closes every dialog left open, then puts the program's whole state back at
// its start, as a fresh process has it.
void ResetShell();
