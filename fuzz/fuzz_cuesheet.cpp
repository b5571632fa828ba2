// The cue-sheet parser, with a data file beside the sheet so that FILE
// lines naming it get as far as the track layout.
#include "FuzzTarget.h"
#include "cd/CueSheet.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

namespace {
QTemporaryDir *folder = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    folder = new QTemporaryDir;
    QFile data(folder->filePath(QStringLiteral("a.bin")));
    if (data.open(QIODevice::WriteOnly))
        data.write(QByteArray(2352 * 300, '\0'));   // 4 seconds of disc
    QFile wav(folder->filePath(QStringLiteral("b.wav")));
    if (wav.open(QIODevice::WriteOnly))
        wav.write(QByteArray(44 + 2352 * 75, '\0'));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = folder->filePath(QStringLiteral("sheet.cue"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    CueSheet sheet;
    QString error;
    if (parseCueSheet(path, sheet, error)) {
        // What the parser promises of a sheet it accepts.
        if (sheet.tracks.isEmpty())
            __builtin_trap();
        long next = 0;
        for (int i = 0; i < sheet.tracks.size(); ++i) {
            const CueTrack &t = sheet.tracks.at(i);
            if (t.number != i + 1 || t.sectors < 0 || t.discStart != next || t.fileIndex < 0
                || t.fileIndex >= sheet.files.size())
                __builtin_trap();
            next += t.sectors;
        }
    } else if (error.isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
