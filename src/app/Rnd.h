#pragma once
#include <cstdint>
#include <mutex>

// The program's uniform pseudo-random generator in [0, 1). Rnd() draws a new
// number; RndRepeat() returns the number drawn last (the noise effect's first
// column relies on that). Seeded once at start from seconds since midnight.
void Randomize(uint32_t seed);
void RandomizeFromClock();
double Rnd();
double RndRepeat();

// The generator is one sequence for the whole program, and the noise effect
// draws from it on a worker thread: every caller holds this lock while it
// draws (taking it per number would slow the effect several times over).
std::unique_lock<std::mutex> lockRnd();
