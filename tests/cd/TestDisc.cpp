#include "TestDisc.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

QString buildTestDisc(const QString &folder, const QString &name, const QVector<long> &sectors)
{
    const QString bin = QDir(folder).filePath(name + ".bin");
    const QString cue = QDir(folder).filePath(name + ".cue");
    QByteArray audio;
    QString sheet = QStringLiteral("FILE \"%1.bin\" BINARY\n").arg(name);
    long at = 0;
    for (int i = 0; i < sectors.size(); ++i) {
        QProcess sox;
        sox.start(QStringLiteral("sox"),
                  {"-r", "44100", "-c", "2", "-n", "-b", "16", "-e", "signed-integer", "-L",
                   "-t", "raw", "-", "synth", QStringLiteral("%1s").arg(sectors[i] * 588), "sine",
                   QString::number(441 * (i + 1)), "vol", "0.5"});
        const QByteArray tone = sox.waitForFinished(60000) ? sox.readAllStandardOutput() : QByteArray();
        if (sox.exitCode() != 0 || tone.size() != sectors[i] * 2352) {
            QWARN(qPrintable("sox failed: " + sox.readAllStandardError()));
            return QString();
        }
        audio += tone;
        const long s = at % 75, m = at / 75;
        sheet += QStringLiteral("  TRACK %1 AUDIO\n    INDEX 01 %2:%3:%4\n")
                     .arg(i + 1, 2, 10, QChar('0'))
                     .arg(m / 60, 2, 10, QChar('0'))
                     .arg(m % 60, 2, 10, QChar('0'))
                     .arg(s, 2, 10, QChar('0'));
        at += sectors[i];
    }
    return testfiles::writeFile(bin, audio) && testfiles::writeFile(cue, sheet.toUtf8()) ? cue : QString();
}

QByteArray binSectors(const QString &cuePath, long from, long count)
{
    QFile f(cuePath.chopped(4) + ".bin");
    if (!f.open(QIODevice::ReadOnly) || !f.seek(qint64(from) * 2352))
        return QByteArray();
    return f.read(qint64(count) * 2352);
}

bool PulledOutput::start(QIODevice *s, QString &)
{
    source = s;
    suspended = false;
    return true;
}

QByteArray PulledOutput::pull(long sectors)
{
    if (!source || suspended)
        return QByteArray();
    // A real output asks in pieces that do not line up with sectors.
    QByteArray got;
    qint64 want = qint64(sectors) * 2352;
    // The disc is read on a thread of its own: keep asking, as a real
    // output would, until the sectors are in or the stream ends.
    QTest::qWaitFor([&] {
        const QByteArray piece = source->read(std::min<qint64>(want, 4000));
        got += piece;
        want -= piece.size();
        return want <= 0 || (piece.isEmpty() && source->atEnd());
    }, 5000);
    return got;
}

std::unique_ptr<AudioOutput> PulledOutputs::make()
{
    auto out = std::make_unique<PulledOutput>();
    latest = out.get();
    return out;
}
