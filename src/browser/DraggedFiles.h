#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

class QMimeData;

// What a drag out of a file view gives other programs: the files, as the
// folder holds them, as text/uri-list.
namespace draggedfiles {

QString mimeType();
// The files of folder named by raw (each once, in order).
QMimeData *mimeData(const QString &folder, const QList<QByteArray> &raw);

}
