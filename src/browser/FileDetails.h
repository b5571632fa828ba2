#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// One row of the detailed view.
struct DetailRow {
    QString name;
    QByteArray raw;    // the name's bytes, through which the file opens
    QString size;  // bytes with one leading blank, e.g. " 512"
    QString date;  // last modified, "YYYY-MM-DD HH:MM" local time
    QString type;  // the system's description of the file type
    qint64 bytes = -1; // for the numeric sort; -1 when unknown
};

// Reads the details of the files of folder named by raw (shown as names); a
// field that cannot be read stays empty. Runs over both cores for large folders.
QVector<DetailRow> readDetails(const QString &folder, const QStringList &names,
                               const QList<QByteArray> &raw = {});

// The field forms, exposed for tests.
QString sizeField(qint64 bytes);
QString dateField(qint64 secondsSinceEpoch);
// What the MIME database says of the file at path (shown as name): by its
// name where that is unambiguous, else by its first bytes.
QString typeDescription(const QByteArray &path, const QString &name);
