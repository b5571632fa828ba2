#pragma once
#include "browser/FileDetails.h"

#include <QAbstractTableModel>
#include <QVector>

// The detailed grid: a header row with four columns and one row per file.
// With no files it shows a single empty row, as the grid always keeps one.
class DetailModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(QVector<DetailRow> rows);
    // Keeps only the empty row.
    void clearRows();
    void sortBy(int column, int direction);

    const QVector<DetailRow> &rows() const { return m_rows; }
    int dataRowCount() const { return m_rows.size(); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVector<DetailRow> m_rows;
};
