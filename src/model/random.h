// The program's pseudo-random numbers: the generator of the Windows C
// runtime, so that every draw lies from 0 to 32767 on every platform.
#pragma once

// The generator's state before any seeding.
constexpr unsigned kUnseededRandom = 1;

// Seeds the generator; start-up seeds it once from the clock.
void SeedRandom(unsigned seed);
// The next number, from 0 to 32767.
int RandomInteger();
