#include "browser/DetailModel.h"

#include "browser/DraggedFiles.h"
#include "browser/GridSort.h"

#include <numeric>

void DetailModel::setRows(QVector<DetailRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_where.clear();
    m_rowOfListed.clear();
    m_inNameOrder = false;
    endResetModel();
}

void DetailModel::clearRows() { setRows({}); }

void DetailModel::setNames(const QStringList &names, const QList<QByteArray> &raw)
{
    QVector<DetailRow> rows(names.size());
    for (int i = 0; i < names.size(); ++i) {
        rows[i].name = names[i];
        rows[i].raw = raw.value(i);
    }
    setRows(std::move(rows));
    m_rowOfListed.resize(m_rows.size());
    std::iota(m_rowOfListed.begin(), m_rowOfListed.end(), 0);
    m_inNameOrder = true;
}

QByteArray DetailModel::key(const DetailRow &row)
{
    // The bytes name a file uniquely; a name that is valid text has none.
    return row.raw.isEmpty() ? row.name.toUtf8() : row.raw;
}

void DetailModel::fillDetails(const QVector<DetailRow> &details, int listed)
{
    if (details.isEmpty() || m_rows.isEmpty())
        return;
    const bool direct = listed >= 0 && listed + details.size() <= m_rowOfListed.size();
    int first = m_rows.size(), last = -1;
    for (int k = 0; k < details.size(); ++k) {
        const DetailRow &d = details[k];
        const QByteArray file = key(d);
        int at = direct ? m_rowOfListed[listed + k] : -1;
        if (at < 0 || key(m_rows[at]) != file) {
            if (m_where.isEmpty()) {
                m_where.reserve(m_rows.size());
                for (int i = 0; i < m_rows.size(); ++i)
                    m_where.insert(key(m_rows[i]), i);
            }
            at = m_where.value(file, -1);
        }
        if (at < 0)
            continue;
        DetailRow &row = m_rows[at];
        row.size = d.size;
        row.date = d.date;
        row.type = d.type;
        row.bytes = d.bytes;
        row.taken = d.taken;
        row.dimensions = d.dimensions;
        row.takenMs = d.takenMs;
        row.modifiedMs = d.modifiedMs;
        row.pixels = d.pixels;
        first = std::min(first, at);
        last = std::max(last, at);
    }
    if (last >= 0)
        emit dataChanged(index(first, 1), index(last, ColumnCount - 1));
}

void DetailModel::sortBy(int column, int direction)
{
    if (m_rows.size() < 2)
        return;
    const QVector<int> order = GridSort::sortOrder(m_rows, column, direction, m_inNameOrder);
    QVector<int> rowNow(order.size());   // where each row goes
    bool moved = false;
    for (int i = 0; i < order.size(); ++i) {
        rowNow[order[i]] = i;
        moved = moved || order[i] != i;
    }
    if (!moved)
        return;   // nothing for the views to lay out again
    emit layoutAboutToBeChanged();
    QVector<DetailRow> sorted;
    sorted.reserve(m_rows.size());
    for (int i : order)
        sorted.append(std::move(m_rows[i]));
    m_rows.swap(sorted);
    m_inNameOrder = false;
    for (auto it = m_where.begin(); it != m_where.end(); ++it)
        it.value() = rowNow[it.value()];
    for (int &row : m_rowOfListed)
        row = rowNow[row];
    // The selected and current rows stay on their files.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &i : before)
        after << (i.row() < rowNow.size() ? index(rowNow[i.row()], i.column()) : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

int DetailModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max<int>(1, m_rows.size());
}

int DetailModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant DetailModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignTop);
    if (role == Qt::EditRole && index.column() == 0)
        return m_rows[index.row()].name;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const DetailRow &r = m_rows[index.row()];
    switch (index.column()) {
    case 0: return r.name;
    case 1: return r.size;
    case 2: return r.date;
    case 3: return r.type;
    case 4: return r.taken;
    case 5: return r.dimensions;
    }
    return {};
}

QVariant DetailModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const titles[ColumnCount] = {"Filename", "File Size", "Date Modified", "File Type",
                                                    "Taken", "Dimensions"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString(titles[section]);
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    return QAbstractTableModel::headerData(section, orientation, role);
}

int DetailModel::rowOf(const QByteArray &raw) const
{
    if (m_where.isEmpty()) {
        for (int i = 0; i < m_rows.size(); ++i)
            if (key(m_rows[i]) == raw)
                return i;
        return -1;
    }
    return m_where.value(raw, -1);
}

void DetailModel::removeFiles(const QSet<QByteArray> &raw)
{
    // From the bottom up, so that the rows still to go keep their numbers.
    for (int i = int(m_rows.size()) - 1; i >= 0; --i) {
        if (!raw.contains(key(m_rows[i])))
            continue;
        if (m_rows.size() == 1) {   // the grid keeps its one empty row
            m_rows.clear();
            emit dataChanged(index(0, 0), index(0, ColumnCount - 1));
            break;
        }
        beginRemoveRows(QModelIndex(), i, i);
        m_rows.removeAt(i);
        endRemoveRows();
    }
    m_where.clear();
    m_rowOfListed.clear();
}

void DetailModel::addNames(const QStringList &names, const QList<QByteArray> &raw)
{
    if (names.isEmpty())
        return;
    QVector<DetailRow> added(names.size());
    for (int i = 0; i < names.size(); ++i) {
        added[i].name = names[i];
        added[i].raw = raw.value(i);
    }
    if (m_rows.isEmpty()) {
        // The empty row becomes the first file.
        m_rows.append(added.takeFirst());
        emit dataChanged(index(0, 0), index(0, ColumnCount - 1));
    }
    if (!added.isEmpty()) {
        beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size() + added.size() - 1));
        m_rows += added;
        endInsertRows();
    }
    m_where.clear();
    m_rowOfListed.clear();
    m_inNameOrder = false;
}

Qt::ItemFlags DetailModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.row() < m_rows.size()) {
        f |= Qt::ItemIsDragEnabled;
        if (index.column() == 0)
            f |= Qt::ItemIsEditable;
    }
    return f;
}

bool DetailModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role == Qt::EditRole && index.isValid() && index.column() == 0 && index.row() < m_rows.size()
        && value.toString() != m_rows[index.row()].name)
        emit renameRequested(key(m_rows[index.row()]), value.toString());
    return false;
}

QStringList DetailModel::mimeTypes() const { return {draggedfiles::mimeType()}; }

QMimeData *DetailModel::mimeData(const QModelIndexList &indexes) const
{
    // A row's cells all come: each file once.
    QList<QByteArray> raw;
    for (const QModelIndex &i : indexes)
        if (i.isValid() && i.row() < m_rows.size())
            raw << key(m_rows[i.row()]);
    return draggedfiles::mimeData(m_folder, raw);
}
