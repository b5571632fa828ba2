#include "effects/ParallelRows.h"

#include <QThread>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <vector>

void parallelBands(int count, long long workPerItem, const std::function<void(int, int)> &fn)
{
    if (count <= 0)
        return;
    const int cores = std::max(1, QThread::idealThreadCount());
    const long long total = count * std::max(1LL, workPerItem);
    if (cores == 1 || total < 256 * 1024 || count < 2) {
        fn(0, count);
        return;
    }
    const int bands = std::min(cores, count);
    std::vector<std::pair<int, int>> ranges;
    for (int i = 0; i < bands; ++i)
        ranges.emplace_back(int((long long)count * i / bands), int((long long)count * (i + 1) / bands));
    QtConcurrent::blockingMap(ranges, [&fn](const std::pair<int, int> &r) { fn(r.first, r.second); });
}
