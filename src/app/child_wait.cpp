#include "child_wait.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <vector>

#include <poll.h>

#include "isolated_call.h"
#include "shell_state.h"

namespace {

// How often the status bar's count of seconds moves on.
constexpr int kProgressIntervalMs = 250;

bool WaitForChild(int fd, std::chrono::milliseconds elapsed) {
    if (shellState.childWait.cancelled) return false;
    if (!shellState.childWait.display(shellState.childWait.activity, elapsed.count() / 1000)) {
        // The window has gone: wait as the command line does.
        pollfd in{fd, POLLIN, 0};
        poll(&in, 1, kProgressIntervalMs);
        return !shellState.childWait.cancelled;
    }
    QEventLoop loop;
    QSocketNotifier readable(fd, QSocketNotifier::Read);
    QObject::connect(&readable, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    QTimer::singleShot(kProgressIntervalMs, &loop, &QEventLoop::quit);
    shellState.childWait.loop = &loop;
    loop.exec();
    shellState.childWait.loop = nullptr;
    return !shellState.childWait.cancelled;
}

}  // namespace

void InstallChildWaiting(ChildWorkDisplay display) {
    shellState.childWait.display = std::move(display);
    SetIsolatedWaiting({[](const std::string& activity) {
                            shellState.childWait.activity = activity;
                            shellState.childWait.cancelled = false;
                        },
                        WaitForChild,
                        [] {
                            shellState.childWait.display("", -1);
                            shellState.childWait.cancelled = false;
                            for (std::function<void()>& then : shellState.childWait.then)
                                QTimer::singleShot(0, std::move(then));
                            shellState.childWait.then.clear();
                        }});
}

void CancelChildWork(std::function<void()> then) {
    if (!IsolatedWorkUnderWay()) {
        if (then) then();
        return;
    }
    shellState.childWait.cancelled = true;
    if (then) shellState.childWait.then.push_back(std::move(then));
    if (shellState.childWait.loop) shellState.childWait.loop->quit();
}
