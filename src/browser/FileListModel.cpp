#include "browser/FileListModel.h"

#include "browser/DraggedFiles.h"
#include "browser/FileListing.h"
#include "core/RawPath.h"

#include <algorithm>

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
    m_unpacked.clear();
    endResetModel();
}

void FileListModel::clear() { setNames({}); }

void FileListModel::append(const QString &name, const QByteArray &raw, const PackedImage &picture)
{
    const int row = m_names.size();
    m_unpacked.remove(raw);
    beginInsertRows(QModelIndex(), row, row);
    m_names.append(name);
    m_raw.append(raw);
    if (!picture.isNull()) {
        m_pictures.resize(row + 1);
        m_pictures[row] = picture;
    }
    endInsertRows();
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_names.size();
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_names.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::EditRole)
        return m_names[index.row()];
    if (role == Qt::DecorationRole && index.row() < m_pictures.size()
        && !m_pictures[index.row()].isNull()) {
        const QByteArray &raw = m_raw[index.row()];
        if (const QPixmap *shown = m_unpacked.object(raw))
            return *shown;
        const QPixmap pixmap = QPixmap::fromImage(m_pictures[index.row()].unpack());
        const qint64 kb = qint64(pixmap.width()) * pixmap.height() * pixmap.depth() / 8 / 1024;
        m_unpacked.insert(raw, new QPixmap(pixmap), std::max<qint64>(1, kb));
        return pixmap;
    }
    return {};
}

int FileListModel::rowOf(const QByteArray &raw) const { return int(m_raw.indexOf(raw)); }

int FileListModel::place(const QString &name, const QByteArray &raw, const PackedImage &picture)
{
    m_unpacked.remove(raw);
    int row = rowOf(raw);
    if (row >= 0) {
        if (row < m_pictures.size() || !picture.isNull()) {
            if (row >= m_pictures.size())
                m_pictures.resize(row + 1);
            m_pictures[row] = picture;
            emit dataChanged(index(row), index(row));
        }
        return row;
    }
    // The first row that comes after the new name.
    const auto at = std::partition_point(m_names.cbegin(), m_names.cend(), [&](const QString &n) {
        const int i = int(&n - m_names.constData());
        return FileListing::before(n, m_raw[i], name, raw);
    });
    row = int(at - m_names.cbegin());
    beginInsertRows(QModelIndex(), row, row);
    m_names.insert(row, name);
    m_raw.insert(row, raw);
    if (row < m_pictures.size())
        m_pictures.insert(row, picture);
    else if (!picture.isNull()) {
        m_pictures.resize(row + 1);
        m_pictures[row] = picture;
    }
    endInsertRows();
    return row;
}

bool FileListModel::remove(const QByteArray &raw)
{
    const int row = rowOf(raw);
    if (row < 0)
        return false;
    m_unpacked.remove(raw);
    beginRemoveRows(QModelIndex(), row, row);
    m_names.removeAt(row);
    m_raw.removeAt(row);
    if (row < m_pictures.size())
        m_pictures.removeAt(row);
    endRemoveRows();
    return true;
}

Qt::ItemFlags FileListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
}

bool FileListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role == Qt::EditRole && index.isValid() && index.row() < m_raw.size()
        && value.toString() != m_names[index.row()])
        emit renameRequested(m_raw[index.row()], value.toString());
    return false;
}

QStringList FileListModel::mimeTypes() const { return {draggedfiles::mimeType()}; }

QMimeData *FileListModel::mimeData(const QModelIndexList &indexes) const
{
    QList<QByteArray> raw;
    for (const QModelIndex &i : indexes)
        if (i.isValid() && i.row() < m_raw.size())
            raw << m_raw[i.row()];
    return draggedfiles::mimeData(m_folder, raw);
}
