#pragma once
#include <QAbstractListModel>
#include <QPixmap>
#include <QStringList>
#include <QVector>

// The items of the list view: one per listed file, with the file name as
// text and, in the thumbnail view, a picture.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setNames(const QStringList &names);
    void clear();
    // Appends one item (the thumbnail build adds items as they are ready).
    void append(const QString &name, const QPixmap &picture = QPixmap());
    const QStringList &names() const { return m_names; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QStringList m_names;
    QVector<QPixmap> m_pictures;
};
