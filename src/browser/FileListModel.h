#pragma once
#include <QAbstractListModel>
#include <QPixmap>
#include <QStringList>
#include <QVector>

// The items of the list view: one per listed file, with the file name as
// text and, in the thumbnail view, a picture. Each item keeps the name's
// bytes too, through which the file opens.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // raw may be empty: the names' own encoding is then taken.
    void setNames(const QStringList &names, const QList<QByteArray> &raw = {});
    void clear();
    // Appends one item (the thumbnail build adds items as they are ready).
    void append(const QString &name, const QByteArray &raw, const QPixmap &picture = QPixmap());
    // A thumbnail made again (the file changed).
    void setPicture(int row, const QPixmap &picture);
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    const QStringList &names() const { return m_names; }
    const QList<QByteArray> &rawNames() const { return m_raw; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QStringList m_names;
    QList<QByteArray> m_raw;
    QVector<QPixmap> m_pictures;
};
