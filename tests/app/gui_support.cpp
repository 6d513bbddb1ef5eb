// Modal answering and scroll bar clicks.
#include "gui_support.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPointer>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>

#include "program_state.h"

namespace {
bool timedOut = false;
int pendingAnswers = 0;
}  // namespace

void WhenModalWidget(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> act) {
    // Owned by the application, so a timer still waiting when the program
    // ends goes with it.
    auto* timer = new QTimer(qApp);
    QElapsedTimer clock;
    clock.start();
    ++pendingAnswers;
    QObject::connect(timer, &QTimer::timeout, [timer, clock, matches, act] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool found = modal && modal->isVisible() && matches(modal);
        if (!found && clock.elapsed() <= 10000) return;
        timer->stop();
        timer->deleteLater();
        --pendingAnswers;
        if (!found) {
            timedOut = true;
            if (modal) modal->close();
            return;
        }
        // A check in act that fails leaves the dialog open: close it after a
        // while so the test ends and reports.
        QPointer<QWidget> answered = modal;
        QTimer::singleShot(10000, qApp, [answered] {
            if (!answered || !answered->isVisible()) return;
            timedOut = true;
            // Close from the top, boxes opened over it first.
            for (int guard = 0; guard < 10 && answered && answered->isVisible(); ++guard)
                if (QWidget* top = QApplication::activeModalWidget()) top->close();
        });
        act(modal);
    });
    timer->start(10);
}

int PendingModalAnswers() {
    return pendingAnswers;
}

bool ModalTimedOut() {
    return timedOut;
}

namespace {
QStyleOptionSlider BarOption(const QScrollBar* bar) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = false;
    if (bar->orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
    return option;
}

QRect PartRect(const QScrollBar* bar, QStyle::SubControl part) {
    const QStyleOptionSlider option = BarOption(bar);
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}

void SendMouse(QScrollBar* bar, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, at, bar->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(bar, &event);
}
}  // namespace

bool ClickBar(QScrollBar* bar, QStyle::SubControl part) {
    const QRect rect = PartRect(bar, part);
    if (rect.isEmpty()) return false;
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, rect.center());
    return true;
}

void DragThumb(QScrollBar* bar, int x) {
    const QPoint thumb = PartRect(bar, QStyle::SC_ScrollBarSlider).center();
    SendMouse(bar, QEvent::MouseButtonPress, thumb, Qt::LeftButton);
    SendMouse(bar, QEvent::MouseMove, QPoint(x, thumb.y()), Qt::LeftButton);
    SendMouse(bar, QEvent::MouseButtonRelease, QPoint(x, thumb.y()), Qt::NoButton);
}

void DeleteClosedWidgets() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void DialogTest::TearDown() {
    while (!shellState.colourDialogs.empty()) delete shellState.colourDialogs.back().dialog;
    delete shellState.controlsDialog;
    DeleteClosedWidgets();
    program = ProgramState{};
    EXPECT_FALSE(ModalTimedOut());
    EXPECT_EQ(PendingModalAnswers(), 0);
    // What was put off for deletion goes before the next test, as the event
    // loop would take it.
    DeleteClosedWidgets();
}
