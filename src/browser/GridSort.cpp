#include "browser/GridSort.h"

#include <algorithm>
#include <numeric>

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

QVector<int> sortOrder(const QVector<DetailRow> &rows, int column, int direction, bool inNameOrder)
{
    const bool ascending = direction == 1;
    QVector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    auto sortBy = [&](auto less) { std::stable_sort(order.begin(), order.end(), less); };
    if (column == 4) {
        // Photos by the moment they were taken; files without one after
        // them, by their modification time; each way round as asked.
        sortBy([&](int ia, int ib) {
            const DetailRow &a = rows[ia], &b = rows[ib];
            const bool aTaken = a.takenMs >= 0, bTaken = b.takenMs >= 0;
            if (aTaken != bTaken)
                return aTaken;
            const qint64 ka = aTaken ? a.takenMs : a.modifiedMs, kb = bTaken ? b.takenMs : b.modifiedMs;
            return ascending ? ka < kb : kb < ka;
        });
        return order;
    }
    if (column == 5) {
        sortBy([&](int a, int b) { return ascending ? rows[a].pixels < rows[b].pixels : rows[b].pixels < rows[a].pixels; });
        return order;
    }
    const int code = sortCode(column, direction);
    if (code == 3 || code == 4) {
        // A size that could not be read counts as 0, as an empty number does.
        auto key = [&](int i) { return rows[i].bytes < 0 ? 0 : rows[i].bytes; };
        sortBy([&](int a, int b) { return code == 3 ? key(a) < key(b) : key(b) < key(a); });
        return order;
    }
    const int c = column < 0 || column > 3 ? 0 : column;
    if (c == 0 && inNameOrder) {
        // The listing's order is this sort's ascending one (names without
        // regard to case, equal ones in the listing's order). Descending,
        // runs of names equal but for case come from the end, each in its
        // own order. A walk, where folding the case of every name of a large
        // folder for a sort would keep its names off the screen.
        if (code == 5)
            return order;
        auto same = [&](int a, int b) {
            return QString::compare(rows[a].name, rows[b].name, Qt::CaseInsensitive) == 0
                   && rows[a].name.toCaseFolded() == rows[b].name.toCaseFolded();
        };
        int at = 0;
        for (int end = int(rows.size()); end > 0;) {
            int begin = end - 1;
            while (begin > 0 && same(begin - 1, end - 1))
                --begin;
            for (int i = begin; i < end; ++i)
                order[at++] = i;
            end = begin;
        }
        return order;
    }
    QVector<QString> keys(rows.size());
    for (int i = 0; i < rows.size(); ++i)
        keys[i] = field(rows[i], c).toCaseFolded();
    sortBy([&](int a, int b) { return code == 5 ? keys[a] < keys[b] : keys[b] < keys[a]; });
    return order;
}

void sortRows(QVector<DetailRow> &rows, int column, int direction)
{
    const QVector<int> order = sortOrder(rows, column, direction);
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
