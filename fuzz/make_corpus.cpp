// Makes the fuzz targets' seed corpora and the damaged-picture corpus from
// real files that it draws and writes itself (nothing is downloaded):
//   gw_make_corpus seeds DIR            DIR/<target>/... for every target
//   gw_make_corpus damaged N DIR [SEED] N seeded mutations of real pictures
//                                      of every kind, and DIR/bombs
// GIF and multi-image ICO files are written by ImageMagick's convert when
// it is there (Qt writes neither).
#include "../tests/common/DngWriter.h"
#include "../tests/viewer/DamagedPictures.h"
#include "../tests/viewer/WmfWriter.h"
#include "../tests/viewer/player/SwfWriter.h"

#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>
#include <random>

namespace {

struct Sample {
    QString name;     // with the extension of its kind
    QByteArray bytes;
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QImage drawing(int w, int h, bool alpha)
{
    QImage image(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(alpha ? Qt::transparent : Qt::white);
    QPainter p(&image);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, QColor(200, 30, 40, alpha ? 180 : 255));
    g.setColorAt(1, QColor(20, 60, 220));
    p.setBrush(g);
    p.drawEllipse(QRect(w / 8, h / 8, w * 3 / 4, h * 3 / 4));
    p.setPen(QPen(Qt::darkGreen, 3));
    for (int i = 0; i < 6; ++i)
        p.drawLine(0, i * h / 6, w, h - i * h / 6);
    p.end();
    return image;
}

QByteArray encode(const QImage &image, const char *format, int quality = -1)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    image.save(&b, format, quality);
    return out;
}

// The bytes a tool writes to OUT (given input's bytes as IN when there are
// any); empty when the tool is missing or fails.
QByteArray viaTool(const QString &program, const QStringList &args, const QString &suffix,
                   const QByteArray &input = {}, const QString &inputSuffix = {})
{
    const QString tool = QStandardPaths::findExecutable(program);
    if (tool.isEmpty())
        return {};
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.") + inputSuffix);
    const QString out = dir.filePath(QStringLiteral("out.") + suffix);
    if (!input.isEmpty() && !writeFile(in, input))
        return {};
    QStringList filled;
    for (const QString &a : args)
        filled << QString(a).replace(QLatin1String("IN"), in).replace(QLatin1String("OUT"), out);
    QProcess p;
    p.start(tool, filled);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    QFile f(out);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray viaConvert(const QStringList &args, const QString &suffix, const QString &outPrefix = QString())
{
    return viaTool(QStringLiteral("convert"), QStringList(args) << outPrefix + QStringLiteral("OUT"), suffix);
}

// A JPEG with icc put in its APP2 segment as cameras store a profile.
QByteArray withProfile(const QByteArray &jpeg, const QByteArray &icc)
{
    QByteArray segment = QByteArray("ICC_PROFILE", 12) + char(1) + char(1) + icc;
    QByteArray marker("\xFF\xE2\0\0", 4);
    qToBigEndian(quint16(segment.size() + 2), marker.data() + 2);
    return jpeg.left(2) + marker + segment + jpeg.mid(2);
}

// Profiles that do not add up: sizes, counts and offsets past their end.
QList<Sample> brokenProfiles(const QByteArray &jpeg, QByteArray icc)
{
    QList<Sample> out;
    auto put = [](QByteArray b, int at, quint32 v) {
        if (at + 4 <= b.size())
            qToBigEndian(v, b.data() + at);
        return b;
    };
    out << Sample{"profile-size.jpg", withProfile(jpeg, put(icc, 0, 0xFFFFFFFFu))}
        << Sample{"profile-tagcount.jpg", withProfile(jpeg, put(icc, 128, 0x0FFFFFFFu))}
        << Sample{"profile-tagoffset.jpg", withProfile(jpeg, put(icc, 136, 0xFFFFFF00u))}
        << Sample{"profile-tagsize.jpg", withProfile(jpeg, put(icc, 140, 0x7FFFFFFFu))}
        << Sample{"profile-cut.jpg", withProfile(jpeg, icc.left(icc.size() / 2))};
    return out;
}

QByteArray metafile(bool placeable, bool withText, bool withBitmap)
{
    WmfWriter w;
    w.setWindow(0, 0, 2000, 1500);
    const int pen = w.pen(0, 20, 0x000080);
    const int brush = w.brush(0, 0x00C0FF);
    w.select(pen);
    w.select(brush);
    w.rectangle(100, 100, 1900, 1400);
    w.ellipse(300, 300, 1200, 1000);
    w.polygon({{100, 100}, {1000, 1400}, {1900, 100}});
    w.moveTo(0, 0);
    w.lineTo(2000, 1500);
    if (withText) {
        const int font = w.font(120, "Sans", 700);
        w.select(font);
        w.textColour(0x0000FF);
        w.transparentText();
        w.textOut(200, 600, "Glintwave");
    }
    if (withBitmap)
        w.bitmap(drawing(32, 24, false), 1200, 200, 600, 450);
    return w.data(placeable, 0, 0, 2000, 1500, 1440);
}

// The real pictures of every kind the viewer opens.
QList<Sample> realPictures()
{
    QList<Sample> out;
    const QImage photo = drawing(160, 120, false);
    const QImage clear = drawing(64, 64, true);
    out << Sample{"photo.jpg", encode(photo, "JPG", 85)}
        << Sample{"photo-q20.jpg", encode(drawing(300, 200, false), "JPG", 20)}
        << Sample{"grey.jpg", encode(photo.convertToFormat(QImage::Format_Grayscale8), "JPG", 90)}
        << Sample{"photo.bmp", encode(photo, "BMP")}
        << Sample{"indexed.bmp", encode(photo.convertToFormat(QImage::Format_Indexed8), "BMP")}
        << Sample{"mono.bmp", encode(photo.convertToFormat(QImage::Format_Mono), "BMP")}
        << Sample{"clear.png", encode(clear, "PNG")}
        << Sample{"photo.png", encode(photo, "PNG")}
        << Sample{"icon.ico", encode(clear.scaled(32, 32), "ICO")}
        << Sample{"plain.wmf", metafile(false, false, false)}
        << Sample{"placeable.wmf", metafile(true, true, false)}
        << Sample{"bitmap.wmf", metafile(true, false, true)};
    // Today's kinds, and pictures that carry a colour profile.
    QImage tagged = photo;
    tagged.setColorSpace(QColorSpace::ProPhotoRgb);
    const QByteArray png = encode(photo, "PNG");
    out << Sample{"prophoto.jpg", encode(tagged, "JPG", 85)} << Sample{"prophoto.png", encode(tagged, "PNG")}
        << Sample{"prophoto.tif", encode(tagged, "TIFF")} << Sample{"photo.webp", encode(photo, "WEBP", 80)}
        << Sample{"camera.dng", dngwriter::dng(drawing(80, 60, false), drawing(64, 48, false))}
        << brokenProfiles(encode(photo, "JPG", 85), QColorSpace(QColorSpace::ProPhotoRgb).iccProfile());
    const QByteArray jxl = viaTool("cjxl", {"IN", "OUT", "-d", "1", "--quiet"}, "jxl", png, "png");
    const QByteArray heic = viaTool("heif-enc", {"-q", "50", "-o", "OUT", "IN"}, "heic", png, "png");
    const QByteArray cmyk = viaConvert({"-size", "80x60", "gradient:cyan-yellow", "-colorspace", "CMYK"}, "jpg");
    if (!jxl.isEmpty())
        out << Sample{"photo.jxl", jxl};
    if (!heic.isEmpty())
        out << Sample{"photo.heic", heic};
    if (!cmyk.isEmpty())
        out << Sample{"cmyk.jpg", cmyk};
    const QByteArray progressive = viaConvert({"-size", "120x90", "gradient:red-blue", "-interlace", "JPEG"}, "jpg");
    const QByteArray gif = viaConvert({"-size", "40x30", "xc:red", "xc:blue", "-delay", "10"}, "gif");
    const QByteArray gifBig = viaConvert({"-size", "150x100", "plasma:fractal", "-seed", "3"}, "gif");
    const QByteArray ico = viaConvert({"-size", "16x16", "xc:red", "-size", "48x48", "gradient:green-blue",
                                       "-size", "256x256", "gradient:yellow-black"}, "ico");
    const QByteArray rle = viaConvert({"-size", "90x60", "gradient:white-black", "-type", "Palette", "-colors", "16",
                                       "-compress", "RLE"}, "bmp", "BMP3:");
    if (!progressive.isEmpty())
        out << Sample{"progressive.jpg", progressive};
    if (!gif.isEmpty())
        out << Sample{"anim.gif", gif} << Sample{"plasma.gif", gifBig};
    if (!ico.isEmpty())
        out << Sample{"sizes.ico", ico};
    if (!rle.isEmpty())
        out << Sample{"rle.bmp", rle};
    return out;
}

QByteArray mutate(const Sample &s, std::mt19937 &rng)
{
    QByteArray b = s.bytes;
    auto pick = [&](int n) { return n <= 0 ? 0 : int(rng() % unsigned(n)); };
    const int edits = 1 + pick(4);
    for (int e = 0; e < edits && !b.isEmpty(); ++e) {
        switch (pick(8)) {
        case 0: // flip bits
            for (int i = 0, n = 1 + pick(8); i < n; ++i)
                b[pick(b.size())] = char(b[pick(b.size())] ^ (1 << pick(8)));
            break;
        case 1: { // a telling byte value, most often in the header
            static const char values[] = {0, '\x7F', '\x80', '\xFF', 1};
            const int at = pick(3) ? pick(std::min<int>(int(b.size()), 64)) : pick(b.size());
            b[at] = values[pick(5)];
            break;
        }
        case 2: // cut short
            b.truncate(pick(b.size()));
            break;
        case 3: { // a span goes missing
            const int at = pick(b.size());
            b.remove(at, 1 + pick(std::min<int>(64, int(b.size()) - at)));
            break;
        }
        case 4: { // a span is repeated
            const int at = pick(b.size());
            b.insert(at, b.mid(at, 1 + pick(256)));
            break;
        }
        case 5: // random bytes over a span
            for (int i = pick(b.size()), n = 1 + pick(32); i < b.size() && n > 0; ++i, --n)
                b[i] = char(rng());
            break;
        case 6: { // a header that claims a large size
            static const quint32 sides[] = {0, 1, 255, 4096, 30000, 65535, 65536, 100000, 0x7FFFFFFF, 0xFFFFFFFF};
            damaged::claimSize(b, s.name, sides[pick(10)], sides[pick(10)]);
            break;
        }
        default: { // 16- or 32-bit field set to an extreme
            const int at = pick(std::max(1, std::min<int>(int(b.size()), 128) - 4));
            const quint32 v = pick(2) ? 0xFFFFFFFFu : quint32(rng());
            for (int i = 0; i < (pick(2) ? 2 : 4) && at + i < b.size(); ++i)
                b[at + i] = char(v >> (8 * i));
            break;
        }
        }
    }
    return b;
}

// The decompression bombs every path must refuse: real files whose headers
// were changed to claim an enormous picture.
QList<Sample> bombs(const QList<Sample> &real)
{
    QList<Sample> out;
    for (const Sample &s : real) {
        QByteArray b = s.bytes;
        if (s.name == "photo-q20.jpg" && damaged::claimSize(b, s.name, 30000, 30000))
            out << Sample{"bomb-30000x30000.jpg", b};
        if (s.name == "photo.png" && damaged::claimSize(b, s.name, 30000, 30000))
            out << Sample{"bomb-30000x30000.png", b};
        if (s.name == "plasma.gif" && damaged::claimSize(b, s.name, 65535, 65535))
            out << Sample{"bomb-65535x65535.gif", b};
        if (s.name == "icon.ico" && damaged::claimSize(b, s.name, 30000, 30000))
            out << Sample{"bomb-30000x30000.ico", b};
        if (s.name == "placeable.wmf" && damaged::claimSize(b, s.name, 32767, 32767))
            out << Sample{"bomb-32767x32767.wmf", b};
    }
    // The issue's own: 246 bytes claiming 37 x 6,881,303 pixels.
    QByteArray bmp = encode(drawing(8, 6, false), "BMP").left(246);
    bmp.resize(246);
    damaged::claimSize(bmp, "x.bmp", 37, 6881303);
    out << Sample{"bomb-37x6881303.bmp", bmp};
    return out;
}

int makeSeeds(const QString &root)
{
    auto folder = [&](const QString &target) {
        QDir().mkpath(root + "/" + target);
        return root + "/" + target + "/";
    };
    const QList<Sample> real = realPictures();
    int count = 0;
    std::mt19937 rng(1);
    for (const Sample &s : real) {
        count += writeFile(folder("pictureloader") + s.name, s.bytes);
        if (s.name.endsWith(".wmf"))
            count += writeFile(folder("wmf") + s.name, s.bytes);
    }
    for (const Sample &s : bombs(real))
        count += writeFile(folder("pictureloader") + s.name, s.bytes);
    for (int i = 0; i < 8; ++i)
        count += writeFile(folder("pictureloader") + QStringLiteral("damaged%1-").arg(i) + real.at(i % real.size()).name,
                           mutate(real.at(i % real.size()), rng));

    const QList<QByteArray> cues = {
        "FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    PREGAP 00:02:00\n"
        "    INDEX 01 00:01:00\n",
        "REM GENRE Test\nPERFORMER \"Someone\"\nTITLE \"Disc\"\nFILE \"a.bin\" MOTOROLA\n  TRACK 01 AUDIO\n"
        "    INDEX 00 00:00:00\n    INDEX 01 00:00:32\n  TRACK 02 MODE1/2352\n    INDEX 01 00:02:10\n"
        "    POSTGAP 00:00:10\nFILE \"b.wav\" WAVE\n  TRACK 03 AUDIO\n    INDEX 01 00:00:00\n",
        "FILE a.bin BINARY\r\n  TRACK 1 MODE2/2336\r\n    INDEX 1 0:0:0\r\n",
        "FILE \"missing.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
    };
    for (int i = 0; i < cues.size(); ++i)
        count += writeFile(folder("cuesheet") + QStringLiteral("sheet%1.cue").arg(i), cues.at(i));

    SwfMovieShape plain;
    SwfMovieShape stops;
    stops.stopFrames = {3};
    SwfMovieShape packed;
    packed.compressed = true;
    packed.gotoFirstFrames = {2};
    SwfMovieShape as3;
    as3.actionScript3 = true;
    as3.version = 9;
    const QList<SwfMovieShape> movies = {plain, stops, packed, as3};
    for (int i = 0; i < movies.size(); ++i)
        count += writeFile(folder("swfinfo") + QStringLiteral("movie%1.swf").arg(i), buildSwf(movies.at(i)));

    const QList<QByteArray> texts = {"0", "1", "-1", "True", "false", "FALSE", "32767", "-32768", "32768",
                                     "2147483647", "-2147483649", "1.5", "2.5", "-0.5", "1e3", "3.4028235e38",
                                     "1e-45", "nan", "inf", " 12 ", "0x10", "1,5", "&H10", "16777215", ""};
    for (int i = 0; i < texts.size(); ++i)
        count += writeFile(folder("settingstext") + QStringLiteral("text%1").arg(i), texts.at(i));
    std::printf("%d seed files in %s\n", count, qPrintable(root));
    return count > 0 ? 0 : 1;
}

int makeDamaged(int n, const QString &root, unsigned seed)
{
    const QList<Sample> real = realPictures();
    QDir().mkpath(root + "/bombs");
    for (const Sample &s : bombs(real))
        writeFile(root + "/bombs/" + s.name, s.bytes);
    QDir().mkpath(root + "/real");
    for (const Sample &s : real)
        writeFile(root + "/real/" + s.name, s.bytes);
    // Folders of 500, so that the thumbnail view can take them one at a time.
    std::mt19937 rng(seed);
    for (int i = 0; i < n; ++i) {
        const Sample &s = real.at(i % real.size());
        const QString dir = QStringLiteral("%1/damaged/%2").arg(root).arg(i / 500, 3, 10, QLatin1Char('0'));
        if (i % 500 == 0)
            QDir().mkpath(dir);
        writeFile(QStringLiteral("%1/%2-%3").arg(dir).arg(i, 5, 10, QLatin1Char('0')).arg(s.name), mutate(s, rng));
    }
    std::printf("%d damaged pictures from %d real ones in %s/damaged, bombs in %s/bombs\n", n, int(real.size()),
                qPrintable(root), qPrintable(root));
    return 0;
}

}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");   // fonts for the metafiles' text, no display
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == "seeds")
        return makeSeeds(args.at(2));
    if ((args.size() == 4 || args.size() == 5) && args.at(1) == "damaged")
        return makeDamaged(args.at(2).toInt(), args.at(3), args.size() == 5 ? args.at(4).toUInt() : 14u);
    std::fprintf(stderr, "usage: gw_make_corpus seeds DIR | damaged N DIR [SEED]\n");
    return 2;
}
