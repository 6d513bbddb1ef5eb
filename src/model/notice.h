// A message for the person, made by the model, the file code, the formats and
// the renderer and shown only by the program's shell: a box in the window,
// a line on stderr in the headless modes. Lower floors hand these back in
// their results instead of showing anything themselves, so a function's
// signature says whether the person still has to be told.
#pragma once

#include <string>
#include <vector>

struct Notice {
    bool operator==(const Notice&) const = default;
    std::string text;     // the message itself
    std::string caption;  // the title of its box
};

// What an operation had to say, in the order it arose; empty when nothing.
using Notices = std::vector<Notice>;
