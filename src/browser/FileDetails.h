#pragma once
#include <QString>
#include <QStringList>
#include <QVector>

// One row of the detailed view.
struct DetailRow {
    QString name;
    QString size;  // bytes with one leading blank, e.g. " 512"
    QString date;  // last modified, "YYYY-MM-DD HH:MM" local time
    QString type;  // the system's description of the file type
    qint64 bytes = -1; // for the numeric sort; -1 when unknown
};

// Reads the details of names in folder; a field that cannot be read stays
// empty. Runs over both cores for large folders.
QVector<DetailRow> readDetails(const QString &folder, const QStringList &names);

// The field forms, exposed for tests.
QString sizeField(qint64 bytes);
QString dateField(qint64 secondsSinceEpoch);
QString typeDescription(const QString &name);
