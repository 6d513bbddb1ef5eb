// Running a piece of work in a child process, so that a fault in code we do
// not own (a crash, an endless loop, an abort, memory without end) costs that
// piece of work and not the program with the person's molecule in it.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "isolated_waiting.h"

struct IsolatedOutcome {
    bool finished = false;   // the child wrote its result and exited normally
    bool cancelled = false;  // the waiting side gave up on it (Cancel, the program ending)
    bool tooLarge = false;   // the child ran out of the memory it may take
    bool failed = false;     // the work itself failed (an exception, a crash, a bad exit)
    std::string bytes;       // what work returned, when finished
    std::string why;         // why not, when not finished
};

void SetIsolatedWaiting(IsolatedWaiting waiting);
// Whether a child is at work now (the waiting side's event loop is running).
bool IsolatedWorkUnderWay();

// Forks, runs work in the child with its standard error going nowhere, and
// returns the bytes work produced. The child is killed once limit has passed
// or when the waiting side gives up. The child's address space may grow by
// half the machine's physical memory (not under AddressSanitizer, which
// needs room of its own); going beyond ends it with tooLarge. Its work has
// a deep stack (the process's own, its limit raised, when forked from the
// main thread; else a thread's), as the library recurses along chains of
// atoms. Only one child runs at a time: a call while another waits is
// refused. No other thread of the caller runs in the child, so work must
// not rely on them (no locks they may hold, no user interface).
IsolatedOutcome RunIsolated(const std::function<std::string()>& work,
                            std::chrono::milliseconds limit, const std::string& activity = "");
