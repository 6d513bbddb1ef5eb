// Modal answering, scroll bar clicks and the shell state of a test process.
#include "gui_support.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPointer>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>

#include "shell_state.h"

// The program defines the shell state with its main window; the tests have
// none of their own.
ShellState shellState;

namespace {
bool timedOut = false;
}

void WhenModalWidget(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, matches, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && matches(modal)) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            // A check in act that fails leaves the dialog open: close it
            // after a while so the test ends and reports.
            QPointer<QWidget> answered = modal;
            QTimer::singleShot(10000, [answered] {
                if (answered && answered->isVisible()) {
                    timedOut = true;
                    answered->close();
                }
            });
            act(modal);
            return;
        }
        if (clock->elapsed() > 10000) {
            timedOut = true;
            timer->stop();
            timer->deleteLater();
            delete clock;
            if (modal) modal->close();
        }
    });
    timer->start(10);
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

void ResetShell() {
    while (!shellState.colourDialogs.empty()) delete shellState.colourDialogs.back().dialog;
    delete shellState.controlsDialog;
    DeleteClosedWidgets();
    shellState = ShellState{};
}
