#include "core/Rnd.h"

#include <QTime>

namespace {
uint64_t key = 0x2545F4914F6CDD1Dull;
uint64_t counter = 0;
double last = 0.0;
}

void Randomize(uint32_t seed)
{
    uint64_t z = uint64_t(seed) * 0x9E3779B97F4A7C15ull + 0x6A09E667F3BCC909ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    key = z ^ (z >> 31);
    counter = 0;
    last = 0.0;
}

void RandomizeFromClock()
{
    Randomize(static_cast<uint32_t>(QTime::currentTime().msecsSinceStartOfDay() / 1000));
}

double Rnd()
{
    last = rnd_detail::draw(key, counter++);
    return last;
}

double RndRepeat() { return last; }

RndRun reserveRnd(uint64_t count)
{
    RndRun run{key, counter};
    counter += count;
    if (count > 0)
        last = run.at(count - 1);
    return run;
}

std::unique_lock<std::mutex> lockRnd()
{
    static std::mutex mutex;
    return std::unique_lock<std::mutex>(mutex);
}
