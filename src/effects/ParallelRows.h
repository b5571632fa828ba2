#pragma once
#include <functional>

// Runs fn(first, last) over [0, count) split into as many contiguous bands as
// there are cores. Small jobs run on the calling thread: starting threads
// costs more than it saves below a few hundred thousand pixels.
void parallelBands(int count, long long workPerItem, const std::function<void(int, int)> &fn);
