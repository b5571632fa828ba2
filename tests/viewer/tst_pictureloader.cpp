#include "viewer/PictureLimits.h"
#include "viewer/PictureLoader.h"
#include "viewer/ThumbnailBuilder.h"
#include "TestMedia.h"
#include "TodaysMedia.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace testmedia;

namespace {
bool isRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }
bool isBlue(QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; }
bool isGreen(QRgb c) { return qGreen(c) > 100 && qRed(c) < 60 && qBlue(c) < 60; }
}

class TestPictureLoader : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void exifOrientationIsApplied_data()
    {
        // Stored 40 x 20, red on the left. Where does red end up?
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("upright");
        QTest::addColumn<QPoint>("redAt");
        QTest::addColumn<QPoint>("blueAt");
        QTest::newRow("3 turned half round") << 3 << QSize(40, 20) << QPoint(35, 10) << QPoint(5, 10);
        QTest::newRow("6 turned clockwise") << 6 << QSize(20, 40) << QPoint(10, 5) << QPoint(10, 35);
    }

    void exifOrientationIsApplied()
    {
        QFETCH(int, orientation);
        QFETCH(QSize, upright);
        QFETCH(QPoint, redAt);
        QFETCH(QPoint, blueAt);
        const QString file = path(QStringLiteral("exif%1.jpg").arg(orientation));
        QVERIFY(halves(40, 20).save(file, "JPG", 90));
        QVERIFY(tool("exiftool", {"-q", "-overwrite_original", "-Orientation#=" + QString::number(orientation), file}));

        const LoadedPicture full = PictureLoader::load(file);
        QVERIFY2(full.ok(), qPrintable(full.error));
        QCOMPARE(full.sourceSize, upright);
        QVERIFY(isRed(full.image.pixel(redAt)));
        QVERIFY(isBlue(full.image.pixel(blueAt)));

        // The shrinking decode must ask the decoder for the stored orientation.
        const LoadedPicture half = PictureLoader::loadFitted(file, [](const QSize &s) { return s / 2; });
        QVERIFY(half.ok());
        QCOMPARE(half.image.size(), upright / 2);
        QVERIFY(isRed(half.image.pixel(redAt / 2)));
    }

    // Small pictures are enlarged to fill the square's longer side. (Larger
    // ones shrunk: tst_thumbnailbuilder's squares.)
    void fittedAndThumbnailLoadsKeepTheAspectRatio()
    {
        QVERIFY(halves(10, 40).save(path("tall-small.bmp"), "BMP"));
        const LoadedPicture tall = PictureLoader::loadThumbnail(path("tall-small.bmp"), 100);
        QCOMPARE(tall.image.size(), QSize(25, 100));
        QCOMPARE(PictureLoader::fitInside(QSize(2000, 1), 100), QSize(100, 1));
    }

    void aCameraThumbnailStandsInOnlyForItsOwnPicture_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QString>("changed");   // the EXIF's last change; taken 2026:01:02 03:04:05
        QTest::addColumn<int>("edge");
        QTest::addColumn<bool>("standsIn");
        const QString taken = "2026:01:02 03:04:05";
        QTest::newRow("camera photo, 100 px thumbnail") << QSize(800, 600) << 1 << taken << 100 << true;
        QTest::newRow("turned a quarter by its tag") << QSize(800, 600) << 6 << taken << 100 << true;
        QTest::newRow("thumbnail smaller than wanted") << QSize(800, 600) << 1 << taken << 200 << false;
        QTest::newRow("changed after it was taken") << QSize(800, 600) << 1 << "2026:03:04 10:00:00" << 100 << false;
        QTest::newRow("other proportions (3:2 under a 4:3 thumbnail)") << QSize(900, 600) << 1 << taken << 100 << false;
    }
    void aCameraThumbnailStandsInOnlyForItsOwnPicture()
    {
        QFETCH(QSize, picture);
        QFETCH(int, orientation);
        QFETCH(QString, changed);
        QFETCH(int, edge);
        QFETCH(bool, standsIn);
        // The picture red, its stored thumbnail green with a blue right end:
        // the colours tell which was read, and how it was turned.
        QImage red(picture, QImage::Format_RGB32), green(160, 120, QImage::Format_RGB32);
        red.fill(Qt::red);
        green.fill(Qt::green);
        QPainter(&green).fillRect(120, 0, 40, 120, Qt::blue);
        // A file of its own for each row: no thumbnail of another row is kept for it.
        const QString name = QStringLiteral("camera-%1.jpg").arg(qHash(QByteArray(QTest::currentDataTag())));
        QVERIFY(red.save(path(name), "JPG", 90) && green.save(path("thumb.jpg"), "JPG", 90));
        QVERIFY(tool("exiftool", {"-q", "-overwrite_original", "-ThumbnailImage<=" + path("thumb.jpg"),
                                             "-DateTimeOriginal=2026:01:02 03:04:05", "-ModifyDate=" + changed,
                                             "-Orientation#=" + QString::number(orientation), path(name)}));
        const LoadedPicture thumbnail = PictureLoader::loadThumbnail(path(name), edge);
        QVERIFY2(thumbnail.ok(), qPrintable(thumbnail.error));
        const QSize upright = orientation == 6 ? picture.transposed() : picture;
        QCOMPARE(thumbnail.sourceSize, upright);
        QCOMPARE(thumbnail.image.size(), PictureLoader::fitInside(upright, edge));
        const QRgb centre = thumbnail.image.pixel(thumbnail.image.width() / 2, thumbnail.image.height() / 2);
        QCOMPARE(isGreen(centre), standsIn);
        const QSize s = thumbnail.image.size();
        const QPoint end = orientation == 6 ? QPoint(s.width() / 2, s.height() * 7 / 8) : QPoint(s.width() * 7 / 8, s.height() / 2);
        QCOMPARE(isBlue(thumbnail.image.pixel(end)), standsIn);
        QVERIFY(isRed(PictureLoader::load(path(name)).image.pixel(5, 5)));   // whole, the picture itself
        // The Thumbnails view's builder shows the same.
        ThumbnailBuilder builder;
        QSignalSpy items(&builder, &ThumbnailBuilder::itemReady);
        QSignalSpy finished(&builder, &ThumbnailBuilder::finished);
        builder.start(m_dir.path(), {ThumbnailEntry{name, 0, {}}}, edge);
        QVERIFY(finished.wait(10000));
        QCOMPARE(items.count(), 1);
        const QImage square = items.at(0).at(2).value<PackedImage>().unpack();
        QCOMPARE(isGreen(square.pixel(edge / 2, edge / 2)), standsIn);
    }

    void aJpegPastTheBudgetWholeOpensFitted()
    {
        // Past the whole budget at its own size, but shrunk by 1/8 while it
        // is read it fits: fitted to a screen it opens; whole it is refused.
        const qint64 pixels = PictureLimits::budgetBytes() / PictureLimits::BytesPerPixel;
        const int side = int(std::ceil(std::sqrt(double(pixels)))) + 64;
        if (side > 65000)
            QSKIP("no JPEG is large enough to pass this machine's budget");
        QVERIFY(tool("vips", {"black", path("vast.jpg"), QString::number(side), QString::number(side)}));
        const LoadedPicture fitted = PictureLoader::loadFitted(
            path("vast.jpg"), [](const QSize &s) { return s.scaled(1920, 1080, Qt::KeepAspectRatio); });
        QVERIFY2(fitted.ok(), qPrintable(fitted.error));
        QCOMPARE(fitted.sourceSize, QSize(side, side));
        QCOMPARE(fitted.image.size(), QSize(1080, 1080));
        const LoadedPicture whole = PictureLoader::load(path("vast.jpg"));
        QVERIFY2(whole.error.contains("too large"), qPrintable(whole.error));
    }

    void aLargeJpegsQuickViewShowsWhatItsWholeDecodeShows_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("reducedFirst");   // a reduced view comes first when fitted
        QTest::addColumn<double>("within");       // its mean difference from the sharp one
        // Colour changing along both sides, so that a band or a column out of
        // place shows; 72 MP, over the size that gets a quick view.
        const QSize size(9000, 8000);
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < size.width(); ++x)
                line[x] = qRgb(x * 255 / size.width(), y * 255 / size.height(), (x / 700 + y / 700) % 2 * 200);
        }
        QVERIFY(image.save(path("large.jpg"), "JPG", 90));
        QVERIFY(tool("jpegtran", {"-restart", "1", "-outfile", path("large-rst.jpg"), path("large.jpg")}));
        // The same with a camera's 160 x 142 thumbnail of it.
        QVERIFY(image.scaled(160, 142, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).save(path("thumb.jpg"), "JPG", 90));
        QVERIFY(QFile::copy(path("large.jpg"), path("large-thumb.jpg")));
        QVERIFY(tool("exiftool", {"-q", "-overwrite_original", "-ThumbnailImage<=" + path("thumb.jpg"),
                                             path("large-thumb.jpg")}));
        QTest::newRow("no restart markers") << "large.jpg" << false << 0.0;
        QTest::newRow("a restart marker every MCU row") << "large-rst.jpg" << true << 6.0;
        // Ten times enlarged, the blocks' edges blur.
        QTest::newRow("no restart markers, a camera's thumbnail") << "large-thumb.jpg" << true << 15.0;
    }

    void aLargeJpegsQuickViewShowsWhatItsWholeDecodeShows()
    {
        QFETCH(QString, name);
        QFETCH(bool, reducedFirst);
        QFETCH(double, within);
        const QString file = path(name);
        // Largest difference of a channel, and the mean of all of them.
        auto compare = [](const QImage &a, const QImage &b, int *most) {
            qint64 sum = 0;
            *most = 0;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x) {
                    const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                    for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                        sum += std::abs(d);
                        *most = std::max(*most, std::abs(d));
                    }
                }
            return double(sum) / (3.0 * a.width() * a.height());
        };
        const LoadedPicture whole = PictureLoader::load(file);
        QVERIFY2(whole.ok(), qPrintable(whole.error));

        // At its own size: the part around the centre the screen shows, at
        // full resolution, the same pixels away from its top and bottom rows
        // (where chroma is filled in without the rows beyond).
        PictureLoader::LoadRequest own;
        own.quickPreview = true;
        own.view = QSize(1920, 1080);
        const LoadedPicture part = PictureLoader::load(file, own);
        QVERIFY2(part.ok() && part.preview, qPrintable(part.error));
        QCOMPARE(part.sourceSize, whole.image.size());
        QVERIFY(part.previewArea.contains(QRect(QPoint((9000 - 1920) / 2, (8000 - 1080) / 2), own.view)));
        QCOMPARE(part.image.size(), part.previewArea.size());
        int most = 0;
        compare(part.image.copy(0, 8, part.image.width(), part.image.height() - 16),
                whole.image.copy(part.previewArea.adjusted(0, 8, 0, -8)), &most);
        QVERIFY2(most <= 2, qPrintable(QString::number(most)));

        // Fitted: a view from part of the rows where markers allow it, else
        // from the camera's thumbnail.
        PictureLoader::LoadRequest fitted = own;
        fitted.sizeRule = [](const QSize &s) { return s.scaled(1600, 1600, Qt::KeepAspectRatio); };
        const LoadedPicture reduced = PictureLoader::load(file, fitted);
        fitted.quickPreview = false;
        const LoadedPicture sharp = PictureLoader::load(file, fitted);
        QCOMPARE(reduced.preview, reducedFirst);
        if (reducedFirst)   // the whole picture, so the viewer places it as the sharp one
            QCOMPARE(reduced.previewArea, QRect(QPoint(), whole.image.size()));
        QCOMPARE(reduced.image.size(), sharp.image.size());
        const double mean = compare(reduced.image, sharp.image, &most);
        QVERIFY2(!reducedFirst || mean < within, qPrintable(QString::number(mean)));
    }
};

QTEST_MAIN(TestPictureLoader)
#include "tst_pictureloader.moc"
