#include "viewer/TextLines.h"

#include <QFile>
#include <QStringDecoder>

namespace {
// How many bytes at the end begin a UTF-8 sequence they do not finish.
int partialCharacterAtEnd(const QByteArray &bytes)
{
    for (int back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const uchar c = uchar(bytes.at(bytes.size() - back));
        if ((c & 0xC0) == 0x80)
            continue;   // a continuation byte: look further back
        const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}
} // namespace

QString TextLines::cutNote()
{
    return QStringLiteral("The rest of this file is not shown: only its first %1 lines or %2 KB are.")
        .arg(MaxLines).arg(MaxBytes / 1024);
}

TextExcerpt readTextExcerpt(const QString &path, qint64 maxBytes, int maxLines)
{
    TextExcerpt excerpt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return excerpt;
    excerpt.readable = true;
    // One byte more than is shown tells whether the file goes on; the size
    // alone would not (a pipe, a file still growing).
    QByteArray bytes = file.read(maxBytes + 1);
    file.close();
    excerpt.cut = bytes.size() > maxBytes;
    if (excerpt.cut)
        bytes.truncate(maxBytes);

    // A character cut in two at the end is dropped, not taken for a byte
    // that is not UTF-8.
    if (excerpt.cut)
        bytes.truncate(bytes.size() - partialCharacterAtEnd(bytes));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    QStringList &lines = excerpt.lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n && lines.size() <= maxLines; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n && lines.size() <= maxLines)
        lines.append(text.mid(start));
    if (lines.size() > maxLines) {
        excerpt.cut = true;
        lines.resize(maxLines);
    }
    if (excerpt.cut)
        lines.append(TextLines::cutNote());
    return excerpt;
}

QStringList textViewEntries(const QString &path, const QStringList &lines)
{
    QStringList entries;
    entries.reserve(lines.size() + 2);
    entries << path << QString();
    entries += lines;
    return entries;
}
