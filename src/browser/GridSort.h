#pragma once
#include "browser/FileDetails.h"

#include <QVector>
#include <array>
#include <vector>

namespace GridSort {

// The grid's sort codes: 3/4 numeric ascending/descending (the size column),
// 5/6 text without case ascending/descending (the others). Direction 1 is
// ascending, anything else descending.
int sortCode(int column, int direction);

// Sorts the data rows by the column in the order of the sort code; stable,
// so equal keys keep their list order. Column 4 sorts by the moment of
// capture (files without one after those with it, by modification time),
// column 5 by the number of pixels.
void sortRows(QVector<DetailRow> &rows, int column, int direction);
// The same order without moving the rows: the present row of each row of
// the sorted grid. inNameOrder: the rows are in a folder listing's order
// (FileListing), which a sort by name then need not look into.
QVector<int> sortOrder(const QVector<DetailRow> &rows, int column, int direction, bool inNameOrder = false);

// The column a press on the header at x chooses, given the widths of columns
// 0..2 in the same unit. A press exactly on a border returns current.
int headerColumnAt(double x, const std::array<double, 3> &widths, int current);

// The column whose right edge lies within grip of x (edges in the same unit,
// left to right; a hidden column's edge is negative), or -1: a press there
// resizes that column instead of sorting.
int separatorAt(int x, const std::vector<int> &rightEdges, int grip);

} // namespace GridSort
