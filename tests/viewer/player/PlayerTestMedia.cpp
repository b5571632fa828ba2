#include "PlayerTestMedia.h"

#include "TodaysMedia.h"

#include <QDir>
#include <QFile>
#include <QMap>

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

// A half-second General MIDI tune: one note on the piano.
static QByteArray midiTune()
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
    const QString out = QDir(dir).filePath("clip." + kind);
    static const QMap<QString, QStringList> codecs{
        {"mp3", {"-c:a", "libmp3lame"}},
        {"mpg", {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"}},
        {"avi", {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}},
        {"asf", {"-c:v", "wmv2", "-c:a", "wmav2"}}};
    bool ok = false;
    if (kind == "wav" || kind == "au") {
        ok = todaysmedia::soxTone(out, error);
    } else if (codecs.contains(kind)) {
        ok = todaysmedia::ffmpegClip(out, kind != "mp3", codecs.value(kind), error);
    } else if (kind == "mid") {
        QFile f(out);
        ok = f.open(QIODevice::WriteOnly) && f.write(midiTune()) > 0;
        if (!ok)
            *error = f.errorString();
    } else {
        *error = "unknown kind " + kind;
    }
    return ok ? out : QString();
}

}
