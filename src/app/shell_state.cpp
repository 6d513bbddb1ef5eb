#include "shell_state.h"

ShellState shellState;
