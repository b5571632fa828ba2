#pragma once
#include "browser/PackedImage.h"

#include <QAbstractListModel>
#include <QCache>
#include <QPixmap>
#include <QStringList>
#include <QVector>

// The items of the list view: one per listed file, with the file name as
// text and, in the thumbnail view, a picture. Each item keeps the name's
// bytes too, through which the file opens. The pictures are held packed (a
// folder of ten thousand photos would otherwise hold ten thousand full
// squares); those painted last are kept unpacked as well, enough for a
// large screen of them.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // raw may be empty: the names' own encoding is then taken.
    void setNames(const QStringList &names, const QList<QByteArray> &raw = {});
    void clear();
    // Appends one item (the thumbnail build adds items as they are ready).
    void append(const QString &name, const QByteArray &raw, const PackedImage &picture = PackedImage());
    const QStringList &names() const { return m_names; }
    const QList<QByteArray> &rawNames() const { return m_raw; }

    // Changes one file where the list already is: the row of a file that is
    // listed (-1 for none); a file put in its place in the list's order, or
    // given its new picture where it is already listed; a file taken out.
    int rowOf(const QByteArray &raw) const;
    int place(const QString &name, const QByteArray &raw, const PackedImage &picture = PackedImage());
    bool remove(const QByteArray &raw);

    // The folder of the files: what a drag out of the view names.
    void setFolder(const QString &folder) { m_folder = folder; }
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // An edited name is not taken here: the window renames the file and
    // then the list (renameRequested).
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

signals:
    void renameRequested(const QByteArray &raw, const QString &newName);

private:
    QString m_folder;
    QStringList m_names;
    QList<QByteArray> m_raw;
    QVector<PackedImage> m_pictures;
    // Unpacked pictures by the files' bytes; the cost is in KB.
    static constexpr int UnpackedKb = 24 * 1024;
    mutable QCache<QByteArray, QPixmap> m_unpacked{UnpackedKb};
};
