#include "browser/DetailModel.h"

#include "browser/GridSort.h"

void DetailModel::setRows(QVector<DetailRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void DetailModel::clearRows() { setRows({}); }

void DetailModel::sortBy(int column, int direction)
{
    if (m_rows.size() < 2)
        return;
    emit layoutAboutToBeChanged();
    GridSort::sortRows(m_rows, column, direction);
    emit layoutChanged();
}

int DetailModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max<int>(1, m_rows.size());
}

int DetailModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 4; }

QVariant DetailModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignTop);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const DetailRow &r = m_rows[index.row()];
    switch (index.column()) {
    case 0: return r.name;
    case 1: return r.size;
    case 2: return r.date;
    case 3: return r.type;
    }
    return {};
}

QVariant DetailModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const titles[4] = {"Filename", "File Size", "Date Modified", "File Type"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
        return QString(titles[section]);
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    return QAbstractTableModel::headerData(section, orientation, role);
}
