#pragma once
#include <QByteArray>
#include <QFile>

// A memory figure of this process in kB from /proc/self/status ("VmHWM:"
// the peak, "VmRSS:" the present, "RssAnon:" the present less files
// mapped), or -1.
inline qint64 statusKb(const QByteArray &field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}
