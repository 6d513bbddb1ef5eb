// A linear congruential generator with 15-bit results.
#include "random.h"

#include "program_state.h"

void SeedRandom(unsigned seed) {
    program.randomState = seed;
}

int RandomInteger() {
    std::uint32_t& state = program.randomState;
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7fffu);
}
