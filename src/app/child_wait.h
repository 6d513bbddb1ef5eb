// A child process at work for the window (an import, an export, a SMILES
// build): while it runs, the window's events go on (the picture draws, the
// window moves and resizes, the menus open), the status bar shows what the
// child does and for how long with a Cancel button, and the commands that
// would change the molecule wait.
#pragma once

#include <functional>
#include <string>

#include "shell_state.h"

// Installed once at start-up.
void InstallChildWaiting(ChildWorkDisplay display);
// Gives up on the child at work, if any (it is killed and its work counts
// for nothing); then runs then, once the child has ended, or at once when
// none is at work.
void CancelChildWork(std::function<void()> then = {});
