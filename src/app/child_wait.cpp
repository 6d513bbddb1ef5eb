#include "child_wait.h"

#include <QEventLoop>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <vector>

#include <poll.h>

#include "isolated_call.h"

namespace {

struct ChildWait {
    ChildWorkDisplay display;                 // the window's status bar
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
    if (!childWait.display(childWait.activity, elapsed.count() / 1000)) {
        // The window has gone: wait as the command line does.
        pollfd in{fd, POLLIN, 0};
        poll(&in, 1, kProgressIntervalMs);
        return !childWait.cancelled;
    }
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

void InstallChildWaiting(ChildWorkDisplay display) {
    childWait.display = std::move(display);
    SetIsolatedWaiting({[](const std::string& activity) {
                            childWait.activity = activity;
                            childWait.cancelled = false;
                        },
                        WaitForChild,
                        [] {
                            childWait.display("", -1);
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
