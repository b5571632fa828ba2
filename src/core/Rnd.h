#pragma once
#include <cstdint>
#include <mutex>

// The program's uniform pseudo-random generator in [0, 1). Rnd() draws a new
// number; RndRepeat() returns the number drawn last (the noise effect's first
// column relies on that). Seeded once at start from seconds since midnight.
//
// The sequence is counter-based: draw n is a hash of the seed and n. So a
// caller can reserve a run of draws and compute them in any order, on any
// thread, and still get exactly what the same number of Rnd() calls gives.
void Randomize(uint32_t seed);
void RandomizeFromClock();
double Rnd();
double RndRepeat();

namespace rnd_detail {
constexpr uint64_t Golden = 0x9E3779B97F4A7C15ull;
// Draw n of the sequence keyed by key is fromState(key + (n + 1) * Golden).
inline double fromState(uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull; // splitmix64's mix
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) * (1.0 / 9007199254740992.0); // 53 bits -> [0, 1)
}
inline double draw(uint64_t key, uint64_t n) { return fromState(key + (n + 1) * Golden); }
} // namespace rnd_detail

struct RndRun {
    uint64_t key = 0;
    uint64_t first = 0;
    // Draw i of the run: what the i-th of the reserved Rnd() calls returns.
    double at(uint64_t i) const { return rnd_detail::draw(key, first + i); }
    // For walking draws i, i + k, i + 2k, ... without a multiply each:
    // rnd_detail::fromState(stateOf(i)), then add k * Golden to the state.
    uint64_t stateOf(uint64_t i) const { return key + (first + i + 1) * rnd_detail::Golden; }
};
// Reserves the next count draws; afterwards RndRepeat() returns the run's last.
RndRun reserveRnd(uint64_t count);

// The noise effect draws on a worker thread while the window may pick a
// random entry: every caller holds this lock while it draws or reserves.
std::unique_lock<std::mutex> lockRnd();
