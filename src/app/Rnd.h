#pragma once
#include <cstdint>

// The program's uniform pseudo-random generator in [0, 1). Rnd() draws a new
// number; RndRepeat() returns the number drawn last (the noise effect's first
// column relies on that). Seeded once at start from seconds since midnight.
void Randomize(uint32_t seed);
void RandomizeFromClock();
double Rnd();
double RndRepeat();
