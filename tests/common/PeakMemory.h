// The most memory this process has held, to show that a refused picture
// was never allocated.
#pragma once

#include <QFile>

namespace testmemory {
// Peak resident memory of this process in kB (-1 when it cannot be read).
inline qint64 peakMemoryKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}
} // namespace testmemory
