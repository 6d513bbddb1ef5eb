// How the program waits for a child process that works for it (see
// isolated_call.h in the formats).
#pragma once

#include <chrono>
#include <functional>
#include <string>

// What the calling process does while a child works. Without it the caller
// just waits. wait is called again and again until the child is done; it
// may run an event loop until fd is readable (the child wrote more or ended)
// or a short while has passed, and returns false to give up on the child.
struct IsolatedWaiting {
    std::function<void(const std::string& activity)> begin;  // activity: "Importing caffeine.sdf"
    std::function<bool(int fd, std::chrono::milliseconds elapsed)> wait;
    std::function<void()> end;
};
