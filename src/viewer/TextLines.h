#pragma once
#include <QString>
#include <QStringList>

// What the viewer's text list shows of a file: one entry per line (CR LF,
// LF or CR end a line), UTF-8 when the bytes are valid UTF-8 and Windows
// Latin-1 otherwise. Only the start of a file is read, as much as a reader
// pages through; a longer file ends in a line saying the rest is not shown.
struct TextExcerpt {
    bool readable = false;   // false: the file could not be opened
    bool cut = false;        // the file goes on beyond the lines
    QStringList lines;       // with the closing note when cut
};

namespace TextLines {
constexpr qint64 MaxBytes = 64 * 1024;
constexpr int MaxLines = 2000;
// The last line of a file that is not shown whole.
QString cutNote();
}

// Reads at most maxBytes of the file and keeps at most maxLines lines.
TextExcerpt readTextExcerpt(const QString &path, qint64 maxBytes = TextLines::MaxBytes,
                            int maxLines = TextLines::MaxLines);

// The entries the viewer shows for a text file: the path, an empty entry,
// then the file's lines.
QStringList textViewEntries(const QString &path, const QStringList &lines);
