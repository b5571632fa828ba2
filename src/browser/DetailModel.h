#pragma once
#include "browser/FileDetails.h"

#include <QAbstractTableModel>
#include <QHash>
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
    // Rows of the named files (names only), their details to follow.
    void setNames(const QStringList &names, const QList<QByteArray> &raw);
    // Puts read details into the rows of the same files, wherever sorting
    // has moved them.
    void fillDetails(const QVector<DetailRow> &details);
    // Keeps only the empty row.
    void clearRows();
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    void sortBy(int column, int direction);

    const QVector<DetailRow> &rows() const { return m_rows; }
    int dataRowCount() const { return m_rows.size(); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    static QByteArray key(const DetailRow &row);
    QVector<DetailRow> m_rows;
    QHash<QByteArray, int> m_where;   // row of each file, made when first needed
};
