// Pseudo-random integers from 0 to 32767, the range that the program's
// random coordinates are scaled for, whatever the runtime's RAND_MAX.
#pragma once

#include <cstdlib>

// rand() itself where RAND_MAX is 32767; its upper 15 bits where it is larger
// (glibc's 2^31 - 1).
inline int Random32767() {
    return std::rand() / (RAND_MAX / 32768 + 1);
}
