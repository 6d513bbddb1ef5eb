// A linear congruential generator with 15-bit results.
#include "random.h"

#include <cstdint>

namespace {
uint32_t state = kUnseededRandom;
}

void SeedRandom(unsigned seed) {
    state = seed;
}

int RandomInteger() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7fffu);
}
