#pragma once
#include "browser/FileDetails.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QSet>
#include <QVector>

// The detailed grid: a header row with four columns (and two the user may
// show: the moment a photo was taken and its size) and one row per file.
// With no files it shows a single empty row, as the grid always keeps one.
class DetailModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    static constexpr int TakenColumn = 4, DimensionsColumn = 5, ColumnCount = 6;

    void setRows(QVector<DetailRow> rows);
    // Rows of the named files (names only, in a folder listing's order),
    // their details to follow.
    void setNames(const QStringList &names, const QList<QByteArray> &raw);
    // Puts read details into the rows of the same files, wherever sorting
    // has moved them. listed: the place of the first of them among the
    // names given to setNames, when they follow on from it there (a large
    // folder's rows are then found without an index of every name).
    void fillDetails(const QVector<DetailRow> &details, int listed = -1);
    // Keeps only the empty row.
    void clearRows();
    // Sorts the rows; a selected or current row stays on its file.
    void sortBy(int column, int direction);

    // Files taken out, and files added at the end with their names only
    // (their details follow through fillDetails, and a sort places them).
    void removeFiles(const QSet<QByteArray> &raw);
    void addNames(const QStringList &names, const QList<QByteArray> &raw);
    int rowOf(const QByteArray &raw) const;

    // Drags name the files; edits ask the window to rename (as FileListModel).
    void setFolder(const QString &folder) { m_folder = folder; }
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    const QVector<DetailRow> &rows() const { return m_rows; }
    int dataRowCount() const { return m_rows.size(); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void renameRequested(const QByteArray &raw, const QString &newName);

private:
    QString m_folder;
    static QByteArray key(const DetailRow &row);
    QVector<DetailRow> m_rows;
    QHash<QByteArray, int> m_where;   // row of each file, made when first needed
    QVector<int> m_rowOfListed;       // row of each name given to setNames, until files come or go
    bool m_inNameOrder = false;       // the rows are as setNames gave them
};
