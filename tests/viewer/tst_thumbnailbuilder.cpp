// The thumbnail builder: list order whatever order the decoders finish in,
// damaged pictures and stock pictures, restarting (which cancels the old
// build), and its squares shown by the view as they were made.
#include "browser/FileListModel.h"
#include "viewer/PictureLoader.h"
#include "viewer/StockIcons.h"
#include "TestMedia.h"
#include "viewer/ThumbnailBuilder.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace testmedia;

namespace {
struct Recorder {
    QStringList names;
    QList<QImage> images;
    int finished = 0;

    void attach(ThumbnailBuilder &b, QObject *context)
    {
        QObject::connect(&b, &ThumbnailBuilder::itemReady, context, [this](int, const QString &name, const PackedImage &image) {
            names << name;
            images << image.unpack();
        });
        QObject::connect(&b, &ThumbnailBuilder::finished, context, [this] { ++finished; });
    }
};

int opaqueRows(const QImage &image, int column)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        n += qAlpha(image.pixel(column, y)) == 255;
    return n;
}
} // namespace

class TestThumbnailBuilder : public QObject {
    Q_OBJECT
private slots:
    void buildsInListOrderAndSkipsDamagedPictures()
    {
        QTemporaryDir dir;
        // Pictures of varied cost so that they finish out of order, one
        // damaged JPEG, and files that get stock pictures.
        QList<ThumbnailEntry> entries;
        for (int i = 0; i < 7; ++i) {
            const QString name = QStringLiteral("p%1.jpg").arg(i);
            QVERIFY(halves(i % 2 ? 1600 : 200, i % 2 ? 800 : 100).save(dir.filePath(name), "JPG", 90));
            entries << ThumbnailEntry{name, 0, {}};
        }
        QVERIFY(writeFile(dir.filePath("p3.jpg"), jpegBytes(halves(50, 50)).left(100)));   // damaged
        QVERIFY(writeFile(dir.filePath("notes.txt"), "text"));
        entries.insert(2, ThumbnailEntry{"notes.txt", 4, {}});

        ThumbnailBuilder builder;
        Recorder r;
        r.attach(builder, this);
        builder.start(dir.path() + "/", entries, 50);   // a trailing "/" is fine
        QTRY_COMPARE_WITH_TIMEOUT(r.finished, 1, 20000);
        QVERIFY(!builder.isRunning());
        QCOMPARE(r.names, QStringList({"p0.jpg", "p1.jpg", "notes.txt", "p2.jpg", "p4.jpg", "p5.jpg", "p6.jpg"}));
        // Squares of ThumbSize; a 2:1 picture fills half the height, centred.
        QCOMPARE(r.images.at(0).size(), QSize(50, 50));
        QCOMPARE(opaqueRows(r.images.at(0), 25), 25);
        QCOMPARE(qAlpha(r.images.at(0).pixel(25, 5)), 0);    // above the picture
        QCOMPARE(qAlpha(r.images.at(0).pixel(25, 45)), 0);   // and below it
        QCOMPARE(r.images.at(2), StockIcons::icon(4, 50));
    }

    // The view holds its thumbnails packed: what it paints is the very
    // square the picture makes, pixel for pixel, and a file's new picture
    // replaces the one it showed.
    void theViewPaintsTheSquareAsMade()
    {
        QTemporaryDir dir;
        QVERIFY(pattern(400, 300).save(dir.filePath("photo.jpg"), "JPG", 90));
        QVERIFY(writeFile(dir.filePath("notes.txt"), "text"));
        ThumbnailBuilder builder;
        QSignalSpy items(&builder, &ThumbnailBuilder::itemReady);
        QSignalSpy finished(&builder, &ThumbnailBuilder::finished);
        builder.start(dir.path(), {ThumbnailEntry{"photo.jpg", 0, {}}, ThumbnailEntry{"notes.txt", 4, {}}}, 100);
        QVERIFY(finished.wait(20000));
        QCOMPARE(items.count(), 2);

        FileListModel model;
        for (const QList<QVariant> &item : items)
            model.append(item.at(1).toString(), item.at(1).toString().toUtf8(), item.at(2).value<PackedImage>());
        auto painted = [&](int row) {
            return model.data(model.index(row), Qt::DecorationRole).value<QPixmap>().toImage();
        };
        const QImage made =
            PictureLoader::squareThumbnail(PictureLoader::loadThumbnail(dir.filePath("photo.jpg"), 100).image, 100);
        QCOMPARE(painted(0), made);
        QCOMPARE(painted(0), made);   // again, from the unpacked ones kept
        QCOMPARE(painted(1), StockIcons::icon(4, 100));
        model.place("photo.jpg", "photo.jpg", PackedImage(StockIcons::icon(2, 100)));
        QCOMPARE(painted(0), StockIcons::icon(2, 100));
    }

    void restartFromASignalHandlerDropsTheOldBuild()
    {
        QTemporaryDir dir;
        QList<ThumbnailEntry> first;
        for (int i = 0; i < 6; ++i) {
            const QString name = QStringLiteral("a%1.jpg").arg(i);
            QVERIFY(halves(800, 600).save(dir.filePath(name), "JPG", 90));
            first << ThumbnailEntry{name, 0, {}};
        }
        QVERIFY(writeFile(dir.filePath("b.txt"), "x"));
        ThumbnailBuilder builder;
        QStringList names;
        int finished = 0;
        connect(&builder, &ThumbnailBuilder::itemReady, this, [&](int, const QString &name, const PackedImage &) {
            names << name;
            if (names.size() == 1)   // another view command arrives during the build
                builder.start(dir.path(), {ThumbnailEntry{"b.txt", 4, {}}, ThumbnailEntry{"a5.jpg", 0, {}}}, 32);
        });
        connect(&builder, &ThumbnailBuilder::finished, this, [&] { ++finished; });
        builder.start(dir.path(), first, 32);
        QTRY_COMPARE_WITH_TIMEOUT(finished, 1, 20000);
        QVERIFY(!QTest::qWaitFor([&] { return finished > 1; }, 300));   // the old build must not finish as well
        QCOMPARE(names, (QStringList{"a0.jpg", "b.txt", "a5.jpg"}));
    }

};

QTEST_MAIN(TestThumbnailBuilder)
#include "tst_thumbnailbuilder.moc"
