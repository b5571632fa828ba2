#include "PlayerTestMedia.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <unistd.h>

namespace testmedia {

void prepareEnvironment()
{
    // With every real sink ranked out GStreamer plays into its real-time
    // fake sink: the decoding path runs to the end without a sound card.
    qputenv("GST_PLUGIN_FEATURE_RANK",
            "pulsesink:NONE,alsasink:NONE,jackaudiosink:NONE,openalsink:NONE,oss4sink:NONE,osssink:NONE");
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

bool run(const QString &program, const QStringList &args, QString *error)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        *error = program + QStringLiteral(" did not start");
        return false;
    }
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
        return false;
    }
    return true;
}

QByteArray midiTune()
{
    const char track[] = {
        0x00, char(0xFF), 0x51, 0x03, 0x07, char(0xA1), 0x20,   // 120 beats a minute
        0x00, char(0xC0), 0x00,                                 // piano
        0x00, char(0x90), 0x3C, 0x64,                           // middle C on
        0x60, char(0x80), 0x3C, 0x40,                           // off after a beat
        0x00, char(0xFF), 0x2F, 0x00,                           // end of track
    };
    QByteArray out("MThd\0\0\0\x06\0\0\0\x01\0\x60", 14);   // format 0, 1 track, 96 ticks a beat
    out += QByteArray("MTrk\0\0\0", 7) + char(sizeof(track));
    out += QByteArray(track, sizeof(track));
    return out;
}

QString makeClip(const QString &dir, const QString &kind, QString *error)
{
    const QString out = QDir(dir).filePath(QStringLiteral("clip.") + kind);
    const QStringList ff{QStringLiteral("-y"), QStringLiteral("-nostdin"), QStringLiteral("-loglevel"),
                         QStringLiteral("error")};
    const QStringList video{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                            QStringLiteral("testsrc=size=160x120:rate=25:duration=1"),
                            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                            QStringLiteral("sine=frequency=440:duration=1")};
    bool ok = false;
    if (kind == QLatin1String("wav") || kind == QLatin1String("au")) {
        ok = run(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("22050"),
                                         QStringLiteral("-c"), QStringLiteral("1"), out,
                                         QStringLiteral("synth"), QStringLiteral("1"), QStringLiteral("sine"),
                                         QStringLiteral("440")}, error);
    } else if (kind == QLatin1String("mp3")) {
        ok = run(QStringLiteral("ffmpeg"), ff + QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"),
                 QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=1"),
                 QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), out}, error);
    } else if (kind == QLatin1String("mpg")) {
        ok = run(QStringLiteral("ffmpeg"), ff + video + QStringList{QStringLiteral("-c:v"),
                 QStringLiteral("mpeg1video"), QStringLiteral("-c:a"), QStringLiteral("mp2"),
                 QStringLiteral("-f"), QStringLiteral("mpeg"), out}, error);
    } else if (kind == QLatin1String("avi")) {
        ok = run(QStringLiteral("ffmpeg"), ff + video + QStringList{QStringLiteral("-c:v"),
                 QStringLiteral("mpeg4"), QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"), out}, error);
    } else if (kind == QLatin1String("asf")) {
        ok = run(QStringLiteral("ffmpeg"), ff + video + QStringList{QStringLiteral("-c:v"),
                 QStringLiteral("wmv2"), QStringLiteral("-c:a"), QStringLiteral("wmav2"), out}, error);
    } else if (kind == QLatin1String("mid")) {
        QFile f(out);
        ok = f.open(QIODevice::WriteOnly) && f.write(midiTune()) > 0;
        if (!ok)
            *error = f.errorString();
    } else {
        *error = QStringLiteral("unknown kind ") + kind;
    }
    return ok ? out : QString();
}

}
