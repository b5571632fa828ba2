#include "Rnd.h"

#include <QTime>

namespace {
// xorshift64*: fast, uniform enough for picking entries and pixel noise.
uint64_t state = 0x9E3779B97F4A7C15ull;
double last = 0.0;
}

void Randomize(uint32_t seed)
{
    state = 0x9E3779B97F4A7C15ull ^ (uint64_t(seed) * 0xD1B54A32D192ED03ull);
    if (state == 0)
        state = 1;
    last = 0.0;
}

void RandomizeFromClock()
{
    Randomize(static_cast<uint32_t>(QTime::currentTime().msecsSinceStartOfDay() / 1000));
}

double Rnd()
{
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    const uint64_t r = state * 0x2545F4914F6CDD1Dull;
    last = double(r >> 11) * (1.0 / 9007199254740992.0); // 53 bits -> [0, 1)
    return last;
}

double RndRepeat() { return last; }

std::unique_lock<std::mutex> lockRnd()
{
    static std::mutex mutex;
    return std::unique_lock<std::mutex>(mutex);
}
