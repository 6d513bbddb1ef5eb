// What reading or writing one of the program's files came to, handed back to
// the shell, which shows the notices: the file code itself shows nothing.
#pragma once

#include "notice.h"

struct FileResult {
    bool ok = false;  // the file was read or written
    Notices notices;  // what the person must be told, in order; may hold some when ok
};
