// How long a text the program takes from the person may be: the edit fields
// hand back no more, and a name read from a file is cut to the same length.
#pragma once

#include <cstddef>

// The edit fields hand back at most this many characters.
constexpr std::size_t kInputTextLimit = 127;
