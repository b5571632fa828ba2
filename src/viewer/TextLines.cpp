#include "viewer/TextLines.h"

#include <QFile>
#include <QStringDecoder>

bool readTextLines(const QString &path, QStringList *lines)
{
    lines->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    file.close();

    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            lines->append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines->append(text.mid(start));
    return true;
}

QStringList textViewEntries(const QString &path, const QStringList &lines)
{
    QStringList entries;
    entries.reserve(lines.size() + 2);
    entries << path << QString();
    entries += lines;
    return entries;
}
