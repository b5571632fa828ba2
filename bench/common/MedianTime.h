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

// Work against a reference, timed in turns (reference, work, work,
// reference, ...) so that a change in the machine's load falls on both: the
// median time of each and the median of the rounds' ratios.
struct PairedTimes {
    double workMs = 0, referenceMs = 0, ratio = 0;
};
inline PairedTimes pairedMedians(int rounds, const std::function<void()> &work,
                                 const std::function<void()> &reference)
{
    QList<double> workMs, referenceMs, ratios;
    const auto time = [](const std::function<void()> &f) {
        QElapsedTimer t;
        t.start();
        f();
        return t.nsecsElapsed() / 1e6;
    };
    for (int i = 0; i < rounds; ++i) {
        const bool referenceFirst = i % 2 == 0;
        const double first = time(referenceFirst ? reference : work);
        const double second = time(referenceFirst ? work : reference);
        workMs << (referenceFirst ? second : first);
        referenceMs << (referenceFirst ? first : second);
        ratios << workMs.last() / referenceMs.last();
    }
    return {median(workMs), median(referenceMs), median(ratios)};
}
