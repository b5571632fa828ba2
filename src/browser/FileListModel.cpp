#include "browser/FileListModel.h"

#include "core/RawPath.h"

void FileListModel::setNames(const QStringList &names, const QList<QByteArray> &raw)
{
    beginResetModel();
    m_names = names;
    m_raw = raw;
    if (m_raw.size() != m_names.size()) {
        m_raw.clear();
        for (const QString &n : names)
            m_raw.append(RawPath::fromText(n));
    }
    m_pictures.clear();
    endResetModel();
}

void FileListModel::clear() { setNames({}); }

void FileListModel::append(const QString &name, const QByteArray &raw, const QPixmap &picture)
{
    const int row = m_names.size();
    beginInsertRows(QModelIndex(), row, row);
    m_names.append(name);
    m_raw.append(raw);
    if (!picture.isNull()) {
        m_pictures.resize(row + 1);
        m_pictures[row] = picture;
    }
    endInsertRows();
}

void FileListModel::setPicture(int row, const QPixmap &picture)
{
    if (row < 0 || row >= m_names.size())
        return;
    if (m_pictures.size() <= row)
        m_pictures.resize(row + 1);
    m_pictures[row] = picture;
    emit dataChanged(index(row), index(row), {Qt::DecorationRole});
}

bool FileListModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count < 1 || row + count > m_names.size())
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    m_names.remove(row, count);
    m_raw.remove(row, count);
    if (row < m_pictures.size())
        m_pictures.remove(row, std::min<int>(count, m_pictures.size() - row));
    endRemoveRows();
    return true;
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_names.size();
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_names.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_names[index.row()];
    if (role == Qt::DecorationRole && index.row() < m_pictures.size()
        && !m_pictures[index.row()].isNull())
        return m_pictures[index.row()];
    return {};
}
