#include "browser/GridSort.h"

#include <algorithm>

namespace GridSort {

int sortCode(int column, int direction)
{
    const bool ascending = direction == 1;
    if (column == 1)
        return ascending ? 3 : 4;
    return ascending ? 5 : 6;
}

namespace {
const QString &field(const DetailRow &row, int column)
{
    switch (column) {
    case 1: return row.size;
    case 2: return row.date;
    case 3: return row.type;
    default: return row.name;
    }
}
} // namespace

void sortRows(QVector<DetailRow> &rows, int column, int direction)
{
    const bool ascending = direction == 1;
    if (column == 4) {
        // Photos by the moment they were taken; files without one after
        // them, by their modification time; each way round as asked.
        std::stable_sort(rows.begin(), rows.end(), [&](const DetailRow &a, const DetailRow &b) {
            const bool aTaken = a.takenMs >= 0, bTaken = b.takenMs >= 0;
            if (aTaken != bTaken)
                return aTaken;
            const qint64 ka = aTaken ? a.takenMs : a.modifiedMs, kb = bTaken ? b.takenMs : b.modifiedMs;
            return ascending ? ka < kb : kb < ka;
        });
        return;
    }
    if (column == 5) {
        std::stable_sort(rows.begin(), rows.end(), [&](const DetailRow &a, const DetailRow &b) {
            return ascending ? a.pixels < b.pixels : b.pixels < a.pixels;
        });
        return;
    }
    const int code = sortCode(column, direction);
    if (code == 3 || code == 4) {
        // A size that could not be read counts as 0, as an empty number does.
        auto key = [](const DetailRow &r) { return r.bytes < 0 ? 0 : r.bytes; };
        std::stable_sort(rows.begin(), rows.end(), [&](const DetailRow &a, const DetailRow &b) {
            return code == 3 ? key(a) < key(b) : key(b) < key(a);
        });
        return;
    }
    const int c = column < 0 || column > 3 ? 0 : column;
    QVector<QString> keys(rows.size());
    for (int i = 0; i < rows.size(); ++i)
        keys[i] = field(rows[i], c).toCaseFolded();
    QVector<int> order(rows.size());
    for (int i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return code == 5 ? keys[a] < keys[b] : keys[b] < keys[a];
    });
    QVector<DetailRow> sorted;
    sorted.reserve(rows.size());
    for (int i : order)
        sorted.append(std::move(rows[i]));
    rows.swap(sorted);
}

int headerColumnAt(double x, const std::array<double, 3> &w, int current)
{
    const double c0 = w[0], c1 = c0 + w[1], c2 = c1 + w[2];
    if (x < c0)
        return 0;
    if (c0 < x && x < c1)
        return 1;
    if (c1 < x && x < c2)
        return 2;
    if (x > c2)
        return 3;
    return current;
}

int separatorAt(int x, const std::vector<int> &edges, int grip)
{
    for (int c = 0; c < int(edges.size()); ++c)
        if (edges[c] >= 0 && x >= edges[c] - grip && x <= edges[c] + grip)
            return c;
    return -1;
}

} // namespace GridSort
