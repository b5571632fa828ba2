// Today's picture formats through the loader that the viewer and the
// thumbnail view share, on files ImageMagick makes at run time: SVG drawn at
// the size asked for, HEIF's edge cases, damaged files of each kind, and the
// size bound for Glintwave's own decoders. (Each kind's pixels in the viewer,
// the thumbnails and the batch mode: tst_newformats.)
#include "viewer/PictureLimits.h"
#include "viewer/PictureLoader.h"
#include "TestMedia.h"
#include "TodaysMedia.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {
using testmedia::near;
// One file per decoder (the other extensions share them).
const QStringList kinds{"png", "webp", "tif", "svg", "heic", "avif", "jxl"};
} // namespace

class TestNewPictures : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QMap<QString, QString> made;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QString error;
        for (const QString &kind : kinds) {
            const QString path = todaysmedia::make(dir.path(), kind, &error);
            QVERIFY2(!path.isEmpty(), qPrintable(error));
            made.insert(kind, path);
        }
    }

    // A drawing claiming 38000 x 19000 in a few bytes is drawn as large as a
    // drawing may be, its shape kept, even when the whole size is asked for.
    void aHugeSvgIsDrawnAsLargeAsADrawingMayBe()
    {
        const QString huge = dir.filePath("huge.svg");
        QVERIFY(testmedia::writeFile(huge, todaysmedia::svgText(38000, 19000).toUtf8()));
        const qint64 before = testmedia::peakMemoryKb();
        for (const LoadedPicture &p : {PictureLoader::load(huge),
                                       PictureLoader::loadFitted(huge, [](const QSize &s) { return s; })}) {
            QVERIFY2(p.ok(), qPrintable(p.error));
            QCOMPARE(p.sourceSize, QSize(38000, 19000));
            QVERIFY(qint64(p.image.width()) * p.image.height() <= PictureLimits::MaxDrawingPixels);
            QVERIFY(p.image.width() > 8000 && qAbs(p.image.width() - 2 * p.image.height()) <= 2);
        }
        QVERIFY2(testmedia::peakMemoryKb() - before < 1024 * 1024, "the drawing took more than 1 GB");
    }

    void heifThumbnailServesSmallSizes()
    {
        // heif-enc stores a 32 x 24 thumbnail beside the picture. With the picture
        // claiming far more than the limit, small sizes still come from the thumbnail.
        const QString png = dir.filePath("halves.png"), heic = dir.filePath("thumbed.heic");
        QVERIFY(testmedia::halves(64, 48).save(png));
        QVERIFY(testmedia::tool("heif-enc", {"-t", "32", "-q", "90", png, "-o", heic}));
        QByteArray bytes = testfiles::readAll(heic);
        for (int at = bytes.indexOf("ispe"); at >= 0; at = bytes.indexOf("ispe", at + 4)) {
            if (qFromBigEndian<quint32>(bytes.constData() + at + 8) != 32) { // not the thumbnail's own
                qToBigEndian<quint32>(64000, bytes.data() + at + 8);
                qToBigEndian<quint32>(48000, bytes.data() + at + 12);
            }
        }
        QVERIFY(testmedia::writeFile(heic, bytes));
        QVERIFY(!PictureLoader::load(heic).ok());
        const LoadedPicture small = PictureLoader::loadThumbnail(heic, 30);
        QVERIFY2(small.ok(), qPrintable(small.error));
        QCOMPARE(small.sourceSize, QSize(64000, 48000));
        QVERIFY(near(small.image.pixel(4, small.image.height() / 2), qRgb(255, 0, 0), 48));
    }

    void damagedNewPicturesFail()
    {
        for (const QString &kind : {"png", "webp", "tif", "heic", "avif", "jxl", "svg"}) {
            const QByteArray bytes = testfiles::readAll(made.value(kind));
            const QString cut = dir.filePath("cut." + kind);
            QVERIFY(testmedia::writeFile(cut, bytes.left(bytes.size() / 3)));
            const LoadedPicture p = PictureLoader::load(cut);
            QVERIFY2(!p.ok(), qPrintable(kind));
            QVERIFY(!p.error.isEmpty() || kind == "tif");
        }
    }
};

QTEST_MAIN(TestNewPictures)
#include "tst_newpictures.moc"
