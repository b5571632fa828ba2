#pragma once
#include <QString>
#include <QStringList>

// Reads a text file as the viewer's text list shows it: one entry per line
// (CR LF, LF or CR end a line), UTF-8 when the bytes are valid UTF-8 and
// Windows Latin-1 otherwise. Returns false when the file cannot be read.
bool readTextLines(const QString &path, QStringList *lines);

// The entries the viewer shows for a text file: the path, an empty entry,
// then the file's lines.
QStringList textViewEntries(const QString &path, const QStringList &lines);
