// The thumbnail builder: list order whatever order the decoders finish in,
// damaged pictures, cancelling and restarting, and the stock pictures.
#include "StockIcons.h"
#include "TestMedia.h"
#include "ThumbnailBuilder.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace testmedia;

namespace {
struct Recorder {
    QStringList names;
    QList<QImage> images;
    QList<QPair<int, int>> progress;
    int finished = 0;

    void attach(ThumbnailBuilder &b, QObject *context)
    {
        QObject::connect(&b, &ThumbnailBuilder::itemReady, context, [this](int, const QString &name, const QImage &image) {
            names << name;
            images << image;
        });
        QObject::connect(&b, &ThumbnailBuilder::progress, context, [this](int i, int n) { progress << qMakePair(i, n); });
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
            entries << ThumbnailEntry{name, 0};
        }
        QVERIFY(writeFile(dir.filePath("p3.jpg"), jpegBytes(halves(50, 50)).left(100)));   // damaged
        QVERIFY(writeFile(dir.filePath("notes.txt"), "text") && writeFile(dir.filePath("song.mp3"), "not really"));
        entries.insert(2, ThumbnailEntry{"notes.txt", 4});
        entries << ThumbnailEntry{"song.mp3", 3};

        ThumbnailBuilder builder;
        Recorder r;
        r.attach(builder, this);
        builder.start(dir.path() + "/", entries, 50);   // a trailing "/" is fine
        QVERIFY(builder.isRunning());
        QVERIFY(r.progress.isEmpty());                   // nothing before the event loop runs
        QTRY_COMPARE_WITH_TIMEOUT(r.finished, 1, 20000);
        QVERIFY(!builder.isRunning());
        QCOMPARE(r.names, QStringList({"p0.jpg", "p1.jpg", "notes.txt", "p2.jpg", "p4.jpg", "p5.jpg", "p6.jpg", "song.mp3"}));
        QCOMPARE(r.progress.size(), 9);   // the damaged one counts
        for (int i = 0; i < 9; ++i)
            QCOMPARE(r.progress.at(i), qMakePair(i, 9));
        // Squares of ThumbSize; a 2:1 picture fills half the height, centred.
        for (const QImage &image : r.images)
            QCOMPARE(image.size(), QSize(50, 50));
        QCOMPARE(opaqueRows(r.images.at(0), 25), 25);
        QCOMPARE(qAlpha(r.images.at(0).pixel(25, 5)), 0);    // above the picture
        QCOMPARE(qAlpha(r.images.at(0).pixel(25, 45)), 0);   // and below it
        QCOMPARE(r.images.at(2), StockIcons::icon(4, 50));

        Recorder empty;   // an empty list finishes at once
        ThumbnailBuilder other;
        empty.attach(other, this);
        other.start(dir.path(), {}, 40);
        QTRY_COMPARE(empty.finished, 1);
        QVERIFY(empty.names.isEmpty() && empty.progress.isEmpty());
    }

    void cancelStopsEveryLaterDelivery()
    {
        QTemporaryDir dir;
        QList<ThumbnailEntry> entries;
        QVERIFY(halves(2400, 1600).save(dir.filePath("big00.jpg"), "JPG", 90));
        for (int i = 0; i < 40; ++i) {
            const QString name = QStringLiteral("big%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
            QVERIFY(i == 0 || QFile::copy(dir.filePath("big00.jpg"), dir.filePath(name)));
            entries << ThumbnailEntry{name, 0};
        }
        ThumbnailBuilder builder;
        Recorder r;
        r.attach(builder, this);
        // Cancel as the first item arrives: a loaded machine cannot let the
        // whole build finish before the test gets to cancel it.
        int itemsAtCancel = -1, progressAtCancel = -1;
        auto once = connect(&builder, &ThumbnailBuilder::itemReady, this, [&] {
            if (itemsAtCancel >= 0)
                return;
            builder.cancel();
            itemsAtCancel = int(r.names.size());
            progressAtCancel = int(r.progress.size());
        });
        builder.start(dir.path(), entries, 64);
        QTRY_VERIFY_WITH_TIMEOUT(itemsAtCancel >= 0, 20000);
        disconnect(once);
        QVERIFY(!builder.isRunning());
        QVERIFY(itemsAtCancel >= 1 && itemsAtCancel < 40);
        // Decoders that were running finish meanwhile: none may deliver.
        QVERIFY(!QTest::qWaitFor([&] {
            return r.names.size() > itemsAtCancel || r.progress.size() > progressAtCancel || r.finished > 0;
        }, 500));
    }

    void restartFromASignalHandlerDropsTheOldBuild()
    {
        QTemporaryDir dir;
        QList<ThumbnailEntry> first;
        for (int i = 0; i < 6; ++i) {
            const QString name = QStringLiteral("a%1.jpg").arg(i);
            QVERIFY(halves(800, 600).save(dir.filePath(name), "JPG", 90));
            first << ThumbnailEntry{name, 0};
        }
        QVERIFY(writeFile(dir.filePath("b.txt"), "x"));
        ThumbnailBuilder builder;
        QStringList names;
        int finished = 0;
        connect(&builder, &ThumbnailBuilder::itemReady, this, [&](int, const QString &name, const QImage &) {
            names << name;
            if (names.size() == 1)   // another view command arrives during the build
                builder.start(dir.path(), {ThumbnailEntry{"b.txt", 4}, ThumbnailEntry{"a5.jpg", 0}}, 32);
        });
        connect(&builder, &ThumbnailBuilder::finished, this, [&] { ++finished; });
        builder.start(dir.path(), first, 32);
        QTRY_COMPARE_WITH_TIMEOUT(finished, 1, 20000);
        QVERIFY(!QTest::qWaitFor([&] { return finished > 1; }, 300));   // the old build must not finish as well
        QCOMPARE(names, (QStringList{"a0.jpg", "b.txt", "a5.jpg"}));
    }

    void stockIconsAreDistinctPictures()
    {
        QList<QImage> icons;
        for (int n = 1; n <= StockIcons::Count; ++n) {
            const QImage icon = StockIcons::icon(n, 48);
            QCOMPARE(icon.size(), QSize(48, 48));
            QVERIFY(opaqueRows(icon, 24) > 0);   // something is drawn
            QVERIFY2(!icons.contains(icon), qPrintable(QString::number(n)));
            icons << icon;
        }
        QVERIFY(StockIcons::icon(0, 48).isNull());
        QVERIFY(StockIcons::icon(StockIcons::Count + 1, 48).isNull());
    }
};

QTEST_MAIN(TestThumbnailBuilder)
#include "tst_thumbnailbuilder.moc"
