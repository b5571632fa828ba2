// Animated pictures and the information panel in the viewer window, driven
// by key presses: GIF, WebP and APNG files play frame by frame for their
// delays and as many times as they say, P pauses, an effect stops them on
// the frame shown; I shows what the camera recorded and hides it again.
#include "effects/ViewerSession.h"
#include "viewer/AnimationPlayer.h"
#include "viewer/AnimationReader.h"
#include "viewer/ui/PictureBox.h"
#include "viewer/ui/frmMedia.h"
#include "HostilePictures.h"
#include "TestMedia.h"
#include "TodaysMedia.h"
#include "ViewerRig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {
using testmedia::tool;

// ImageMagick's animation of solid frames of the given colours.
bool makeAnimation(const QString &path, const QStringList &colours, int delayCs, int loop, QSize size = {40, 30})
{
    // Lossless, so that the colours come back exactly.
    QStringList args{"-define", "webp:lossless=true", "-size", QStringLiteral("%1x%2").arg(size.width()).arg(size.height()), "-delay",
                     QString::number(delayCs), "-loop", QString::number(loop)};
    for (const QString &c : colours)
        args << "xc:" + c;
    if (!tool("convert", args << path))
        return false;
    if (!path.endsWith(".webp"))
        return true;
    // ImageMagick writes every WebP to loop for ever: the ANIM chunk's
    // count (16 bits, little-endian, after the background colour) says it.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    const int anim = bytes.indexOf("ANIM");
    if (anim < 0)
        return false;
    qToLittleEndian(quint16(loop), bytes.data() + anim + 12);
    file.seek(0);
    return file.write(bytes) == bytes.size();
}

QByteArray be32(quint32 v)
{
    QByteArray b(4, 0);
    qToBigEndian(v, b.data());
    return b;
}

// The IHDR and the joined IDAT data of a PNG Qt writes.
QPair<QByteArray, QByteArray> pngParts(const QImage &image)
{
    const QByteArray png = testmedia::encoded(image.convertToFormat(QImage::Format_ARGB32), "PNG");
    QByteArray header, data;
    for (int pos = 8; pos + 8 <= png.size();) {
        const int length = int(qFromBigEndian<quint32>(png.constData() + pos));
        const QByteArray type = png.mid(pos + 4, 4);
        if (type == "IHDR")
            header = png.mid(pos + 8, length);
        else if (type == "IDAT")
            data += png.mid(pos + 8, length);
        pos += 12 + length;
    }
    return {header, data};
}

struct ApngFrame {
    QImage image;
    QPoint at;
    int dispose;   // 0 none, 1 background, 2 previous
    int blend;     // 0 source, 1 over
    int delayMs;
};

QByteArray apng(QSize size, const QList<ApngFrame> &frames, int plays)
{
    QByteArray header = pngParts(frames.first().image).first;
    qToBigEndian(quint32(size.width()), header.data());
    qToBigEndian(quint32(size.height()), header.data() + 4);
    QByteArray out = QByteArray("\x89PNG\r\n\x1a\n", 8) + hostile::pngChunk("IHDR", header)
                     + hostile::pngChunk("acTL", be32(quint32(frames.size())) + be32(quint32(plays)));
    quint32 seq = 0;
    for (int i = 0; i < frames.size(); ++i) {
        const ApngFrame &f = frames[i];
        QByteArray control = be32(seq++) + be32(f.image.width()) + be32(f.image.height()) + be32(f.at.x())
                             + be32(f.at.y());
        control += char(f.delayMs >> 8);
        control += char(f.delayMs & 0xFF);
        control += char(1000 >> 8);
        control += char(1000 & 0xFF);
        control += char(f.dispose);
        control += char(f.blend);
        out += hostile::pngChunk("fcTL", control);
        const QByteArray data = pngParts(f.image).second;
        out += i == 0 ? hostile::pngChunk("IDAT", data) : hostile::pngChunk("fdAT", be32(seq++) + data);
    }
    return out + hostile::pngChunk("IEND", {});
}

QImage solid(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// A frame shown: which, and what the window held then.
struct Shown {
    int index;
    int play;
    QRgb centre;
    qint64 atMs;
};
} // namespace

class TestViewerPlays : public QObject, ViewerRig {
    Q_OBJECT

    frmMedia *open(const QString &file) { return show(file) ? m_viewer.data() : nullptr; }
    void press(frmMedia *v, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : v;
        QTest::keyClick(target, key, mods);
    }
    // Records every frame the window shows until the animation finishes.
    QList<Shown> playToEnd(frmMedia *v)
    {
        QList<Shown> frames;
        QElapsedTimer clock;
        clock.start();
        AnimationPlayer *player = v->session()->animation();
        auto c = connect(player, &AnimationPlayer::frameShown, this, [&](const QImage &, int index, int play) {
            const QImage &shown = v->picMedia->picture();
            frames.append({index, play, shown.pixel(shown.width() / 2, shown.height() / 2), clock.elapsed()});
        });
        QSignalSpy finished(player, &AnimationPlayer::finished);
        finished.wait(20000);
        disconnect(c);
        return frames;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Pictures at their own size: the frames are compared pixel for pixel.
        m_options.ScaleBig = false;
        m_options.ScaleSmall = false;
    }
    void cleanup() { delete m_viewer; }

    void gifAndWebpPlayInOrderForTheirDelaysAndLoops_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("plays");
        // A GIF stores the plays after the first, a WebP all of them.
        QTest::newRow("gif, twice") << "rgb.gif" << 2;
        QTest::newRow("gif, once") << "once.gif" << 1;
        QTest::newRow("webp, twice") << "rgb.webp" << 2;
    }
    void gifAndWebpPlayInOrderForTheirDelaysAndLoops()
    {
        QFETCH(QString, name);
        QFETCH(int, plays);
        QVERIFY(makeAnimation(path(name), {"red", "lime", "blue"}, 15, plays));
        frmMedia *v = open(path(name));
        QVERIFY(v);
        QCOMPARE(v->picMedia->picture().pixel(20, 15), qRgb(255, 0, 0));
        const QList<Shown> frames = playToEnd(v);
        // Every frame after the first one the loader gave, in order, each
        // play, and then no more.
        QCOMPARE(frames.size(), 3 * plays - 1);
        const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
        for (int i = 0; i < frames.size(); ++i) {
            QCOMPARE(frames[i].index, (i + 1) % 3);
            QCOMPARE(frames[i].play, (i + 1) / 3);
            QCOMPARE(frames[i].centre, colours[(i + 1) % 3]);
            // Never before its predecessor's 150 ms are over.
            if (i > 0)
                QVERIFY2(frames[i].atMs - frames[i - 1].atMs >= 140, qPrintable(QString::number(frames[i].atMs)));
        }
        QVERIFY(!v->session()->animation()->isPlaying());
        QCOMPARE(v->picMedia->picture().pixel(20, 15), qRgb(0, 0, 255));
    }

    void apngFramesAreComposedByTheirRules()
    {
        const QSize size(40, 30);
        const QList<ApngFrame> frames = {
            {solid(size, Qt::red), {0, 0}, 0, 0, 100},
            // Over the red, then undone.
            {solid({10, 10}, QColor(0, 0, 255, 255)), {5, 5}, 2, 1, 100},
            // Half-transparent over what frame 1 left, then cleared.
            {solid({10, 10}, QColor(0, 255, 0, 128)), {20, 10}, 1, 1, 100},
            // Replaces what is under it, transparency and all.
            {solid({4, 4}, QColor(0, 0, 0, 0)), {0, 0}, 0, 0, 100},
        };
        QVERIFY(testfiles::writeFile(path("a.png"), apng(size, frames, 2)));
        AnimationReader reader(path("a.png"));
        QVERIFY(reader.isAnimated());
        QCOMPARE(reader.frameCount(), 4);
        QCOMPARE(reader.plays(), 2);
        AnimationReader::Frame f;
        QVERIFY(reader.next(&f));
        QCOMPARE(f.image.size(), size);
        QCOMPARE(f.delayMs, 100);
        QCOMPARE(f.image.pixel(7, 7), qRgb(255, 0, 0));
        QVERIFY(reader.next(&f));
        QCOMPARE(f.image.pixel(7, 7), qRgb(0, 0, 255));
        QVERIFY(reader.next(&f));
        QCOMPARE(f.image.pixel(7, 7), qRgb(255, 0, 0));   // frame 1 undone
        const QColor mixed = QColor::fromRgba(f.image.pixel(25, 15));
        QVERIFY2(mixed.red() > 100 && mixed.green() > 100 && mixed.blue() < 20, qPrintable(mixed.name()));
        QVERIFY(reader.next(&f));
        QCOMPARE(qAlpha(f.image.pixel(25, 15)), 0);       // frame 2 cleared to nothing
        QCOMPARE(qAlpha(f.image.pixel(1, 1)), 0);         // frame 3 replaced the red
        QCOMPARE(f.image.pixel(7, 7), qRgb(255, 0, 0));
        // The second play starts from an empty canvas; then it ends.
        QVERIFY(reader.next(&f));
        QCOMPARE(reader.play(), 1);
        QCOMPARE(f.image.pixel(25, 15), qRgb(255, 0, 0));
        for (int i = 0; i < 3; ++i)
            QVERIFY(reader.next(&f));
        QVERIFY(!reader.next(&f));

        // In the viewer: every frame, twice over.
        const QColor background = std::exchange(m_options.BgColour, QColor(Qt::white));
        frmMedia *v = open(path("a.png"));
        QVERIFY(v);
        const QList<Shown> shown = playToEnd(v);
        QCOMPARE(shown.size(), 7);
        QCOMPARE(shown[0].centre, qRgb(255, 0, 0));
        QCOMPARE(v->picMedia->picture().pixel(1, 1), qRgb(255, 255, 255));   // transparent on the background
        m_options.BgColour = background;
    }

    void damagedOrHugeApngIsRefusedNotDecoded()
    {
        // A frame reaching past the canvas ends the animation before it.
        const QList<ApngFrame> outside = {{solid({8, 8}, Qt::red), {0, 0}, 0, 0, 100},
                                          {solid({8, 8}, Qt::blue), {4, 4}, 0, 0, 100}};
        QVERIFY(testfiles::writeFile(path("outside.png"), apng({8, 8}, outside, 0)));
        QVERIFY(!AnimationReader(path("outside.png")).isAnimated());

        // A canvas no file of this size could fill is refused before anything is allocated.
        const QList<ApngFrame> tiny = {{solid({4, 4}, Qt::red), {0, 0}, 0, 0, 100},
                                       {solid({4, 4}, Qt::blue), {0, 0}, 0, 0, 100}};
        QVERIFY(testfiles::writeFile(path("huge.png"), apng({60000, 60000}, tiny, 0)));
        AnimationReader huge(path("huge.png"));
        AnimationReader::Frame f;
        QVERIFY(!huge.next(&f));
        QVERIFY(!huge.error().isEmpty());
        QCOMPARE(huge.picturesHeld(), 0);
    }

    void pPausesAndAnEffectStopsOnTheFrameShown()
    {
        // Frames with a left and a right half, looping for ever.
        const QString file = path("halves.gif");
        QVERIFY(tool("convert", {"-delay", "8", "-loop", "0", "(", "-size", "20x30", "xc:red", "xc:blue", "+append", ")",
                                "(", "-size", "20x30", "xc:lime", "xc:blue", "+append", ")", file}));
        frmMedia *v = open(file);
        QVERIFY(v);
        AnimationPlayer *player = v->session()->animation();
        QSignalSpy frames(player, &AnimationPlayer::frameShown);
        QVERIFY(frames.wait(5000));
        press(v, Qt::Key_P);
        QTRY_VERIFY(player->isPaused());
        frames.clear();
        QVERIFY(!frames.wait(400));   // five delays and nothing moves
        press(v, Qt::Key_P);
        QVERIFY(frames.wait(5000));
        QVERIFY(player->isPlaying());

        // H flips the frame on the screen, and the animation is over.
        QVERIFY(frames.wait(5000));
        const QRgb left = v->picMedia->picture().pixel(5, 15);
        press(v, Qt::Key_H);
        QVERIFY(v->session()->waitForIdle(10000));
        QVERIFY(!player->isPlaying());
        QCOMPARE(v->picMedia->picture().pixel(35, 15), left);
        QCOMPARE(v->picMedia->picture().pixel(5, 15), qRgb(0, 0, 255));
        frames.clear();
        QVERIFY(!frames.wait(300));
        QCOMPARE(v->picMedia->picture().pixel(35, 15), left);
    }

    void aLongAnimationHoldsAFewFrames()
    {
        // 300 frames: the reader keeps its canvas only, the player one frame
        // ahead of the one shown, however long the animation.
        const QString file = path("long.gif");
        QStringList colours;
        for (int i = 0; i < 300; ++i)
            colours << QStringLiteral("rgb(%1,%2,0)").arg(i % 256).arg(i / 2);
        QVERIFY(makeAnimation(file, colours, 2, 0, {320, 180}));
        AnimationReader reader(file);
        QCOMPARE(reader.frameCount(), 300);
        QCOMPARE(reader.plays(), 0);
        AnimationReader::Frame f;
        for (int i = 0; i < 300; ++i) {
            QVERIFY(reader.next(&f));
            QCOMPARE(qRed(f.image.pixel(160, 90)), i % 256);
            QVERIFY(reader.picturesHeld() <= 1);
        }
        QVERIFY(reader.next(&f));   // for ever: the first frame again
        QCOMPARE(reader.frameIndex(), 0);

        frmMedia *v = open(file);
        QVERIFY(v);
        QSignalSpy frames(v->session()->animation(), &AnimationPlayer::frameShown);
        QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= 10, 20000);
        QVERIFY(v->session()->animation()->mostFramesHeld() <= 2);
    }

    void informationPanelShowsWhatTheCameraRecorded()
    {
        const QString photo = path("photo.jpg");
        QVERIFY(solid({300, 200}, Qt::darkCyan).save(photo, "JPG", 90));
        QVERIFY(tool("exiftool", {"-q", "-overwrite_original", "-DateTimeOriginal=2024:05:17 14:03:22",
                                 "-Make=Glintcam", "-Model=GC-7", "-LensModel=GC 35mm F2", "-ExposureTime=1/250",
                                 "-FNumber=2.8", "-ISO=200", "-FocalLength=35", "-GPSLatitude=48.8583",
                                 "-GPSLatitudeRef=N", "-GPSLongitude=2.2945", "-GPSLongitudeRef=W", photo}));
        QVERIFY(makeAnimation(path("plain.gif"), {"red", "blue"}, 10, 0));
        frmMedia *v = open(photo);
        QVERIFY(v);
        QVERIFY(!v->lblInfo->isVisible());
        const QRect pictureBefore = v->picMedia->geometry();
        press(v, Qt::Key_I);
        QTRY_VERIFY(v->lblInfo->isVisible());
        const QString text = v->lblInfo->text();
        for (const char *field :
             {"photo.jpg", "300 x 200", "2024-05-17 14:03:22", "Glintcam GC-7", "GC 35mm F2", "1/250 s", "f/2.8",
              "ISO 200", "35 mm", "48.85830\u00b0 N, 2.29450\u00b0 W"})
            QVERIFY2(text.contains(QString::fromUtf8(field)), qPrintable(field + (" not in " + text)));
        QVERIFY(v->lblInfo->geometry().topLeft().x() < 50);
        QCOMPARE(v->picMedia->geometry(), pictureBefore);   // laid over the picture, not beside it
        saveScreenshot(v, "viewer-info-panel.png");

        // It stays on for the next picture, with that picture's facts.
        QVERIFY(open(path("plain.gif")));
        QTRY_VERIFY(v->lblInfo->isVisible() && v->lblInfo->text().contains("plain.gif"));
        QVERIFY(!v->lblInfo->text().contains("Glintcam"));
        press(v, Qt::Key_I);
        QTRY_VERIFY(!v->lblInfo->isVisible());
        QVERIFY(open(photo));
        QVERIFY(!v->lblInfo->isVisible());
    }

private:
    void saveScreenshot(frmMedia *v, const char *name)
    {
        const QString folder = qEnvironmentVariable("GW_SCREENSHOTS");
        if (folder.isEmpty())
            return;
        QTRY_VERIFY(v->isVisible());
        QVERIFY(v->grab().save(folder + "/" + name));
    }
};

QTEST_MAIN(TestViewerPlays)
#include "tst_viewerplays.moc"
