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
    // The optional columns, read only when shown (see readDetails).
    QString taken;      // the moment of capture the camera recorded, "YYYY-MM-DD HH:MM:SS"
    QString dimensions; // "W x H" pixels, for pictures
    qint64 takenMs = -1;     // for sorting: capture, then
    qint64 modifiedMs = -1;  // modification for files without one
    qint64 pixels = -1;      // width times height
};

// Reads the details of the files of folder named by raw (shown as names); a
// field that cannot be read stays empty. Runs over both cores for large folders.
// With photoColumns the capture moment and the size of pictures are read
// too (the picture's header and its EXIF: slower).
QVector<DetailRow> readDetails(const QString &folder, const QStringList &names,
                               const QList<QByteArray> &raw = {}, bool photoColumns = false);

// The field forms, exposed for tests.
QString sizeField(qint64 bytes);
QString dateField(qint64 secondsSinceEpoch);
// What the MIME database says of the file at path (shown as name): by its
// name where that is unambiguous, else by its first bytes.
QString typeDescription(const QByteArray &path, const QString &name);
