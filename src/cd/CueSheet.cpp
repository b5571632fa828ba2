#include "cd/CueSheet.h"

#include "cd/Tmsf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

long CueSheet::totalSectors() const
{
    long total = 0;
    for (const CueTrack &t : tracks)
        total += t.sectors;
    return total;
}

namespace {

// Splits a line into words; a double-quoted word may hold blanks.
QStringList words(const QString &line)
{
    static const QRegularExpression re(QStringLiteral("\"([^\"]*)\"|(\\S+)"));
    QStringList out;
    auto it = re.globalMatch(line);
    while (it.hasNext()) {
        const auto m = it.next();
        out << (m.capturedStart(1) >= 0 ? m.captured(1) : m.captured(2));
    }
    return out;
}

int sectorSizeOf(const QString &type, bool &audio)
{
    audio = (type == QLatin1String("AUDIO"));
    if (audio || type == QLatin1String("MODE1/2352") || type == QLatin1String("MODE2/2352"))
        return 2352;
    if (type == QLatin1String("MODE1/2048"))
        return 2048;
    if (type == QLatin1String("MODE2/2336"))
        return 2336;
    return 0;
}

} // namespace

bool parseCueSheet(const QString &path, CueSheet &sheet, QString &error)
{
    sheet = CueSheet();
    QFile file(path);
    if (file.size() > 1024 * 1024) {   // a cue sheet is a few lines; refuse anything else early
        error = QStringLiteral("not a cue sheet");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("cannot read %1").arg(QDir::toNativeSeparators(path));
        return false;
    }
    const QDir folder = QFileInfo(path).absoluteDir();

    struct Pending {
        CueTrack track;
        bool hasIndex1 = false;
    };
    QVector<Pending> pending;
    QVector<qint64> fileSizes;
    bool bigEndian = false;
    int lineNo = 0;

    while (!file.atEnd()) {
        ++lineNo;
        const QStringList w = words(QString::fromUtf8(file.readLine()).trimmed());
        if (w.isEmpty())
            continue;
        const QString key = w[0].toUpper();
        auto fail = [&](const QString &why) {
            error = QStringLiteral("line %1: %2").arg(lineNo).arg(why);
            return false;
        };
        if (key == QLatin1String("FILE")) {
            if (w.size() < 3)
                return fail(QStringLiteral("FILE needs a name and a type"));
            const QString type = w.last().toUpper();
            if (type != QLatin1String("BINARY") && type != QLatin1String("MOTOROLA"))
                return fail(QStringLiteral("file type %1 is not raw sectors").arg(type));
            bigEndian = (type == QLatin1String("MOTOROLA"));
            const QString name = w.mid(1, w.size() - 2).join(QLatin1Char(' '));
            const QFileInfo data(folder, name);
            if (!data.isFile())
                return fail(QStringLiteral("data file %1 not found").arg(name));
            sheet.files << data.absoluteFilePath();
            fileSizes << data.size();
        } else if (key == QLatin1String("TRACK")) {
            if (sheet.files.isEmpty())
                return fail(QStringLiteral("TRACK before FILE"));
            if (w.size() < 3)
                return fail(QStringLiteral("TRACK needs a number and a type"));
            bool numOk = false;
            const int number = w[1].toInt(&numOk);
            if (!numOk || number < 1 || number > 99)
                return fail(QStringLiteral("bad track number"));
            // As on a pressed disc, tracks count 1, 2, 3, ... with no gaps.
            if (number != pending.size() + 1)
                return fail(QStringLiteral("track %1 where %2 was due").arg(number).arg(pending.size() + 1));
            Pending p;
            p.track.number = number;
            p.track.sectorSize = sectorSizeOf(w[2].toUpper(), p.track.audio);
            if (p.track.sectorSize == 0)
                return fail(QStringLiteral("track type %1 not supported").arg(w[2]));
            p.track.fileIndex = sheet.files.size() - 1;
            p.track.bigEndian = bigEndian;
            pending << p;
        } else if (key == QLatin1String("INDEX")) {
            if (pending.isEmpty() || pending.last().track.fileIndex != sheet.files.size() - 1)
                return fail(QStringLiteral("INDEX outside a track"));
            if (w.size() < 3)
                return fail(QStringLiteral("INDEX needs a number and a time"));
            const auto at = tmsf::parseMsf(w[2]);
            if (!at)
                return fail(QStringLiteral("bad time %1").arg(w[2]));
            if (w[1].toInt() == 1) {
                Pending &p = pending.last();
                p.track.fileOffset = qint64(*at) * p.track.sectorSize;
                p.hasIndex1 = true;
            }
        }
        // REM, TITLE, PERFORMER, CATALOG, FLAGS, ISRC, PREGAP, POSTGAP,
        // CDTEXTFILE, SONGWRITER: nothing the player needs.
    }

    if (pending.isEmpty()) {
        error = QStringLiteral("no tracks");
        return false;
    }
    long discPos = 0;
    for (int i = 0; i < pending.size(); ++i) {
        CueTrack t = pending[i].track;
        if (!pending[i].hasIndex1) {
            error = QStringLiteral("track %1 has no INDEX 01").arg(t.number);
            return false;
        }
        qint64 endByte = fileSizes[t.fileIndex];
        if (i + 1 < pending.size() && pending[i + 1].track.fileIndex == t.fileIndex)
            endByte = pending[i + 1].track.fileOffset;
        if (t.fileOffset >= endByte) {
            error = QStringLiteral("track %1 starts beyond its data").arg(t.number);
            return false;
        }
        t.sectors = long((endByte - t.fileOffset) / t.sectorSize);
        if (t.sectors == 0) {
            error = QStringLiteral("track %1 is shorter than one sector").arg(t.number);
            return false;
        }
        t.discStart = discPos;
        discPos += t.sectors;
        sheet.tracks << t;
    }
    return true;
}
