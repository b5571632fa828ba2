#pragma once
#include <QElapsedTimer>
#include <QList>

#include <algorithm>
#include <functional>

// The middle of a set of timings: one slow round (a page fault, another
// process) does not move it.
inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// The median wall time of rounds runs of work, in milliseconds.
inline double medianMs(int rounds, const std::function<void()> &work)
{
    QList<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        ms << t.nsecsElapsed() / 1e6;
    }
    return median(ms);
}
