#pragma once
// Files of today's formats that the tests make for themselves at run time
// with ImageMagick, ffmpeg and plain text; nothing binary is checked in.
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

namespace todaysmedia {

// Every new extension of the three new type boxes.
inline QStringList pictureKinds() { return {"png", "webp", "tif", "tiff", "svg", "heic", "heif", "avif", "jxl"}; }
inline QStringList audioKinds() { return {"ogg", "oga", "opus", "flac", "m4a", "aac"}; }
inline QStringList videoKinds() { return {"mp4", "m4v", "mkv", "webm", "mov", "ogv"}; }

// The pictures are 64 x 48: the left half red, the right half blue.
constexpr int Width = 64, Height = 48;

inline bool runTool(const QString &program, const QStringList &args, QString *error)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        *error = program + " did not start";
        return false;
    }
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = program + " " + args.join(' ') + ": " + QString::fromLocal8Bit(p.readAllStandardError());
        return false;
    }
    return true;
}

inline QString svgText(int w = Width, int h = Height)
{
    return QString("<?xml version=\"1.0\"?>\n<!-- two halves -->\n"
                   "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" viewBox=\"0 0 64 48\">"
                   "<rect x=\"0\" y=\"0\" width=\"32\" height=\"48\" fill=\"#ff0000\"/>"
                   "<rect x=\"32\" y=\"0\" width=\"32\" height=\"48\" fill=\"#0000ff\"/></svg>\n")
        .arg(w)
        .arg(h);
}

// A 440 Hz tone from sox, one second unless told otherwise.
inline bool soxTone(const QString &out, QString *error, double seconds = 1)
{
    return runTool("sox", {"-n", "-r", "22050", "-c", "1", out, "synth", QString::number(seconds), "sine", "440"},
                   error);
}

// A one-second ffmpeg clip from its generated sources: a 440 Hz tone, and a
// 160 x 120 test picture when video; codecs names the encoders and container.
inline bool ffmpegClip(const QString &out, bool video, const QStringList &codecs, QString *error)
{
    QStringList args{"-y", "-nostdin", "-loglevel", "error"};
    if (video)
        args << "-f" << "lavfi" << "-i" << "testsrc=size=160x120:rate=25:duration=1";
    args << "-f" << "lavfi" << "-i" << "sine=frequency=440:duration=1";
    return runTool("ffmpeg", args + codecs + QStringList{out}, error);
}

// Makes dir/<base>.<kind> (kind: any of the lists above, or "anim.webp" for
// a two-frame animated WebP whose first frame is the halves and the second
// green). Returns the path, or empty with *error set.
inline QString make(const QString &dir, const QString &kind, QString *error, const QString &base = "sample")
{
    const bool anim = kind == "anim.webp";
    const QString ext = anim ? "webp" : kind;
    const QString out = QDir(dir).filePath((anim ? base + "-anim" : base) + "." + ext);
    const QStringList halves{"-size", "32x48", "xc:#ff0000", "-size", "32x48", "xc:#0000ff", "+append", "+repage"};
    // ImageMagick picks the writer from the prefix; the name keeps our extension.
    static const QMap<QString, QString> format{{"png", "PNG"},   {"webp", "WEBP"}, {"tif", "TIFF"},
                                               {"tiff", "TIFF"}, {"heic", "HEIC"}, {"heif", "HEIC"},
                                               {"avif", "AVIF"}};
    static const QMap<QString, QStringList> audio{{"ogg", {"-c:a", "libvorbis", "-f", "ogg"}},
                                                  {"oga", {"-c:a", "libvorbis", "-f", "ogg"}},
                                                  {"opus", {"-c:a", "libopus", "-f", "ogg"}},
                                                  {"m4a", {"-c:a", "aac", "-f", "ipod"}},
                                                  {"aac", {"-c:a", "aac", "-f", "adts"}}};
    static const QStringList h264{"-c:v", "libx264", "-pix_fmt", "yuv420p"};
    static const QMap<QString, QStringList> video{
        {"mp4", h264 + QStringList{"-c:a", "aac", "-f", "mp4"}},
        {"m4v", h264 + QStringList{"-c:a", "aac", "-f", "mp4"}},
        {"mov", h264 + QStringList{"-c:a", "aac", "-f", "mov"}},
        {"mkv", h264 + QStringList{"-c:a", "libvorbis", "-f", "matroska"}},
        {"webm", {"-c:v", "libvpx", "-c:a", "libopus", "-f", "webm"}},
        {"ogv", {"-c:v", "libtheora", "-c:a", "libvorbis", "-f", "ogg"}}};
    bool ok = false;
    if (kind == "svg") {
        QFile f(out);
        ok = f.open(QIODevice::WriteOnly) && f.write(svgText().toUtf8()) > 0;
        if (!ok)
            *error = f.errorString();
    } else if (anim) {
        ok = runTool("convert", QStringList{"-delay", "20", "("} + halves + QStringList{")", "-size", "64x48",
                                "xc:#00ff00", "-loop", "0", "-define", "webp:lossless=true", "WEBP:" + out},
                     error);
    } else if (format.contains(kind)) {
        QStringList args = halves;
        if (kind == "webp")
            args << "-define" << "webp:lossless=true";
        ok = runTool("convert", args << format.value(kind) + ":" + out, error);
    } else if (kind == "jxl") {   // ImageMagick here writes no JPEG XL: libjxl's own tool does
        ok = runTool("convert", halves + QStringList{"PNG:" + out + ".png"}, error)
             && runTool("cjxl", {out + ".png", out, "-d", "0"}, error) && QFile::remove(out + ".png");
    } else if (kind == "flac") {
        ok = soxTone(out, error);
    } else if (audio.contains(kind) || video.contains(kind)) {
        ok = ffmpegClip(out, video.contains(kind), audio.value(kind, video.value(kind)), error);
    } else {
        *error = "unknown kind " + kind;
    }
    return ok ? out : QString();
}

}
