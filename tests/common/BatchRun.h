// Runs the batch mode in this process as the command line would, with what
// it prints on each stream.
#pragma once

#include "effects/BatchMode.h"

#include <QBuffer>
#include <QFile>
#include <QStringList>

namespace testbatch {
struct BatchRun {
    int status = -1;
    QString out, err;
};

inline BatchRun batch(const QStringList &args, BatchSettings settings = {})
{
    QList<QByteArray> bytes;
    for (const QString &a : args)
        bytes << QFile::encodeName(a);
    QBuffer out, err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    const int status = runBatch(bytes, settings, out, err);
    return {status, QString::fromUtf8(out.data()), QString::fromUtf8(err.data())};
}
} // namespace testbatch
