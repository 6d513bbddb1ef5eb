// What the program returns to whoever started it.
#pragma once

// The window program.
constexpr int kExitNormal = 2;    // ended by the person
constexpr int kExitNoWindow = 0;  // no usable OpenGL context could be made

// The headless modes.
constexpr int kExitWritten = 0;    // the output was written
constexpr int kExitFileError = 1;  // a file could not be read or written
constexpr int kExitUsage = 2;      // the arguments made no sense
constexpr int kExitNoContext = 3;  // the picture could not be drawn

// Both: Tessaril.ini gave no element.
constexpr int kExitNoElements = -1;
