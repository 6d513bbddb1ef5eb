// Running a piece of work in a child process, so that a fault in code we do
// not own (a crash, an endless loop, an abort) costs that piece of work and
// not the program with the person's molecule in it.
#pragma once

#include <chrono>
#include <functional>
#include <string>

struct IsolatedOutcome {
    bool finished = false;  // the child wrote its result and exited normally
    std::string bytes;      // what work returned, when finished
    std::string why;        // why not, when not finished
};

// Forks, runs work in the child with its standard error going nowhere, and
// returns the bytes work produced. The child is killed once limit has passed.
// The calling process only waits: no other thread of it runs in the child,
// so work must not rely on them (no locks they may hold, no user interface).
IsolatedOutcome RunIsolated(const std::function<std::string()>& work,
                            std::chrono::milliseconds limit);
