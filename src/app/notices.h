// Showing what the lower floors handed back.
#pragma once

#include "notice.h"

// Shows each notice in turn as a message box with an OK button (a line on
// stderr in the headless modes), in the order given.
void ShowNotices(const Notices& notices);
