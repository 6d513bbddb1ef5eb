#include "isolated_call.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>

namespace {

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

[[noreturn]] void RunChild(int out, const std::function<std::string()>& work) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) dup2(null, STDERR_FILENO);
    int status = 1;
    try {
        status = WriteAll(out, work()) ? 0 : 1;
    } catch (...) {
        status = 1;
    }
    // No exit handlers and no flushing of buffers copied from the parent.
    _exit(status);
}

}  // namespace

IsolatedOutcome RunIsolated(const std::function<std::string()>& work,
                            std::chrono::milliseconds limit) {
    IsolatedOutcome outcome;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        outcome.why = "no pipe could be made";
        return outcome;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        outcome.why = "no process could be started";
        return outcome;
    }
    if (child == 0) {
        close(fds[0]);
        RunChild(fds[1], work);
    }
    close(fds[1]);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    bool timedOut = false;
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd in{fds[0], POLLIN, 0};
        const int ready = poll(&in, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        outcome.bytes.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (timedOut) kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut) {
        outcome.why = "it took longer than " + (limit.count() % 1000 == 0
                                                    ? std::to_string(limit.count() / 1000) + " s"
                                                    : std::to_string(limit.count()) + " ms");
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        outcome.finished = true;
        return outcome;
    } else {
        outcome.why = WIFSIGNALED(status)
                          ? "the reader failed (signal " + std::to_string(WTERMSIG(status)) + ")"
                          : "the reader failed";
    }
    outcome.bytes.clear();
    return outcome;
}
