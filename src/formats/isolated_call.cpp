#include "isolated_call.h"

#include "program_state.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <new>

namespace {

// The child's ways out besides success.
constexpr int kExitFailed = 1;
constexpr int kExitTooLarge = 3;

// The library recurses once per atom along a chain (ring search, SMILES
// writing): 100,000 atoms need far more than the usual 8 MB.
constexpr size_t kWorkStack = size_t{512} << 20;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

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

// The address space the child may reach: what it inherits plus half the
// physical memory, or no bound when that cannot be told.
rlim_t AddressSpaceCap() {
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
    unsigned long long inherited = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%llu", &inherited) != 1) inherited = 0;
        std::fclose(statm);
    }
    if (pages <= 0 || pageSize <= 0 || inherited == 0) return RLIM_INFINITY;
    return static_cast<rlim_t>((inherited + static_cast<unsigned long long>(pages) / 2) *
                               static_cast<unsigned long long>(pageSize));
}

struct ChildWork {
    int out;
    const std::function<std::string()>* work;
    int status = kExitFailed;
};

void* RunWork(void* argument) {
    auto* child = static_cast<ChildWork*>(argument);
    try {
        child->status = WriteAll(child->out, (*child->work)()) ? 0 : kExitFailed;
    } catch (const std::bad_alloc&) {
        child->status = kExitTooLarge;
    } catch (...) {
        child->status = kExitFailed;
    }
    return nullptr;
}

[[noreturn]] void RunChild(int out, const std::function<std::string()>& work, rlim_t cap,
                           bool fromMainThread) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) dup2(null, STDERR_FILENO);
    // Memory refused is the end of this child, whoever asked for it: the
    // library may catch the exception and carry on in a broken state.
    std::set_new_handler([] { _exit(kExitTooLarge); });
    if (!kAddressSanitizer && cap != RLIM_INFINITY) {
        const rlimit limit{cap, cap};
        setrlimit(RLIMIT_AS, &limit);
    }
    ChildWork child{out, &work};
    // Forked from the main thread, the child runs on the process's own stack,
    // which grows on demand up to the stack limit: raised, it gives the deep
    // stack without a new thread. (A thread made in a child of a process with
    // threads may wait forever on a lock another thread held at the fork.)
    rlimit stack{};
    if (fromMainThread && getrlimit(RLIMIT_STACK, &stack) == 0 &&
        (stack.rlim_max == RLIM_INFINITY || stack.rlim_max >= kWorkStack)) {
        stack.rlim_cur = kWorkStack;
        if (setrlimit(RLIMIT_STACK, &stack) == 0) {
            RunWork(&child);
            _exit(child.status);
        }
    }
    pthread_attr_t attributes;
    pthread_t thread;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kWorkStack);
    if (pthread_create(&thread, &attributes, RunWork, &child) == 0)
        pthread_join(thread, nullptr);
    else
        RunWork(&child);  // no room for the deep stack: the usual one
    // No exit handlers and no flushing of buffers copied from the parent.
    _exit(child.status);
}

std::string Duration(std::chrono::milliseconds limit) {
    return limit.count() % 1000 == 0 ? std::to_string(limit.count() / 1000) + " s"
                                     : std::to_string(limit.count()) + " ms";
}

}  // namespace

void SetIsolatedWaiting(IsolatedWaiting hooks) {
    program.isolatedWaiting = std::move(hooks);
}

bool IsolatedWorkUnderWay() {
    return program.isolatedWorkUnderWay;
}

IsolatedOutcome RunIsolated(const std::function<std::string()>& work,
                            std::chrono::milliseconds limit, const std::string& activity) {
    IsolatedOutcome outcome;
    if (program.isolatedWorkUnderWay) {
        outcome.why = "another piece of work is under way";
        return outcome;
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        outcome.why = "no pipe could be made";
        return outcome;
    }
    const rlim_t cap = AddressSpaceCap();
    const bool fromMainThread = gettid() == getpid();
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        outcome.why = "no process could be started";
        return outcome;
    }
    if (child == 0) {
        close(fds[0]);
        RunChild(fds[1], work, cap, fromMainThread);
    }
    close(fds[1]);
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + limit;
    const bool hooked = static_cast<bool>(program.isolatedWaiting.wait);
    program.isolatedWorkUnderWay = true;
    if (hooked && program.isolatedWaiting.begin) program.isolatedWaiting.begin(activity);
    bool timedOut = false;
    char buffer[65536];
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        if (hooked &&
            !program.isolatedWaiting.wait(
                fds[0], std::chrono::duration_cast<std::chrono::milliseconds>(now - start))) {
            outcome.cancelled = true;
            break;
        }
        pollfd in{fds[0], POLLIN, 0};
        const int ready =
            poll(&in, 1, hooked ? 0 : static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        outcome.bytes.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (timedOut || outcome.cancelled) kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    program.isolatedWorkUnderWay = false;
    if (hooked && program.isolatedWaiting.end) program.isolatedWaiting.end();
    if (outcome.cancelled) {
        outcome.why = "it was cancelled";
    } else if (timedOut) {
        outcome.why = "it took longer than " + Duration(limit);
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        outcome.finished = true;
        return outcome;
    } else if ((WIFEXITED(status) && WEXITSTATUS(status) == kExitTooLarge) ||
               (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)) {
        // A child killed by nobody here was killed by the kernel for its memory.
        outcome.tooLarge = true;
        outcome.why = "it needs more memory than it may take";
    } else {
        outcome.failed = true;
        outcome.why = WIFSIGNALED(status)
                          ? "the reader failed (signal " + std::to_string(WTERMSIG(status)) + ")"
                          : "the reader failed";
    }
    outcome.bytes.clear();
    return outcome;
}
