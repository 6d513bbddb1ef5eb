// Helpers for the GUI tests: answering modal dialogs from a timer, pressing
// the parts of a scroll bar like a mouse does, a clean shell state, and the
// comparing and printing of Qt values in test checks.
#pragma once

#include <gtest/gtest.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QPoint>
#include <QScrollBar>
#include <QString>
#include <QStyle>
#include <cmath>
#include <functional>
#include <ostream>
#include <type_traits>

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

// The dialog tests' fixture. After each test every dialog left open is
// closed, the program's whole state is back at its start, as a fresh process
// has it, no modal answer is left waiting, and what was put off for deletion
// is gone.
class DialogTest : public ::testing::Test {
protected:
    void TearDown() override;
};

// Whether actual equals expected the way Qt compares floating point values:
// an expected zero takes anything within 1e-5 (1e-12 for a double) of zero,
// any other value anything within that much of it relatively; infinities
// must match in sign, and a NaN matches a NaN. Use with EXPECT_PRED_FORMAT2.
template <typename T>
::testing::AssertionResult FuzzyEqual(const char* actualText, const char* expectedText, T actual,
                                      T expected) {
    static_assert(std::is_floating_point_v<T>);
    bool same = false;
    switch (std::fpclassify(expected)) {
        case FP_INFINITE:
            same = std::isinf(actual) && (expected < 0) == (actual < 0);
            break;
        case FP_NAN:
            same = std::isnan(actual);
            break;
        default:
            same = qFuzzyIsNull(expected) ? qFuzzyIsNull(actual) : qFuzzyCompare(actual, expected);
            break;
    }
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << actualText << " is " << ::testing::PrintToString(actual) << ", expected "
           << expectedText << ", which is " << ::testing::PrintToString(expected);
}

// Qt values as a failed check shows them.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QPoint& point, std::ostream* out) {
    *out << '(' << point.x() << ", " << point.y() << ')';
}
inline void PrintTo(const QColor& colour, std::ostream* out) {
    *out << "rgba(" << colour.red() << ", " << colour.green() << ", " << colour.blue() << ", "
         << colour.alpha() << ')';
}
