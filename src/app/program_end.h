// The one way out of the window program.
#pragma once

// Runs once, whichever way the program ends ("Really Quit?" answered Yes,
// the close box, the release of Escape, a view without a usable context): a
// child at work is given up on, the settings are written, the window's
// timers stop, the window goes and the event loop ends with the exit status.
void EndProgram();
