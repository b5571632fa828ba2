#include "StockIcons.h"
#include "TestMedia.h"
#include "ThumbnailBuilder.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace testmedia;

namespace {

struct Recorder {
    QList<int> items;
    QStringList names;
    QList<QImage> images;
    QList<QPair<int, int>> progress;
    int finished = 0;

    void attach(ThumbnailBuilder &b, QObject *context)
    {
        QObject::connect(&b, &ThumbnailBuilder::itemReady, context,
                         [this](int i, const QString &name, const QImage &image) {
                             items << i;
                             names << name;
                             images << image;
                         });
        QObject::connect(&b, &ThumbnailBuilder::progress, context,
                         [this](int i, int n) { progress << qMakePair(i, n); });
        QObject::connect(&b, &ThumbnailBuilder::finished, context, [this] { ++finished; });
    }
};

int opaqueRows(const QImage &image, int column)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        if (qAlpha(image.pixel(column, y)) == 255)
            ++n;
    return n;
}

} // namespace

class TestThumbnailBuilder : public QObject {
    Q_OBJECT
private slots:
    void buildsInListOrderAndSkipsDamagedPictures();
    void oneFileAndEmptyList();
    void cancelStopsEveryLaterDelivery();
    void restartFromASignalHandlerDropsTheOldBuild();
    void stockIconsAreDistinctPictures();
};

void TestThumbnailBuilder::buildsInListOrderAndSkipsDamagedPictures()
{
    QTemporaryDir dir;
    // Ten files: pictures of varied cost so that they finish out of order,
    // one damaged JPEG, and files that get stock pictures.
    QList<ThumbnailEntry> entries;
    for (int i = 0; i < 7; ++i) {
        const QString name = QStringLiteral("p%1.jpg").arg(i);
        const QSize size = (i % 2) ? QSize(1600, 800) : QSize(200, 100);
        QVERIFY(halves(size.width(), size.height()).save(dir.filePath(name), "JPG", 90));
        entries << ThumbnailEntry{name, 0};
    }
    QVERIFY(writeFile(dir.filePath("p3.jpg"), jpegBytes(halves(50, 50)).left(100)));   // damaged
    QVERIFY(writeFile(dir.filePath("notes.txt"), "text"));
    QVERIFY(writeFile(dir.filePath("song.mp3"), "not really"));
    QVERIFY(writeFile(dir.filePath("clip.wmf"), "not drawn"));
    entries.insert(2, ThumbnailEntry{"notes.txt", 4});
    entries << ThumbnailEntry{"song.mp3", 3} << ThumbnailEntry{"clip.wmf", 1};
    QCOMPARE(entries.size(), 10);

    ThumbnailBuilder builder;
    Recorder r;
    r.attach(builder, this);
    builder.start(dir.path() + "/", entries, 50);   // a trailing "/" is fine
    QVERIFY(builder.isRunning());
    QVERIFY(r.progress.isEmpty());                   // nothing before the event loop runs
    QTRY_COMPARE_WITH_TIMEOUT(r.finished, 1, 20000);
    QVERIFY(!builder.isRunning());

    // Nine items (p3 is damaged), strictly in list order.
    QCOMPARE(r.items.size(), 9);
    QVERIFY(std::is_sorted(r.items.begin(), r.items.end()));
    QVERIFY(!r.names.contains("p3.jpg"));
    QCOMPARE(r.names.first(), QStringLiteral("p0.jpg"));
    QCOMPARE(r.names.at(2), QStringLiteral("notes.txt"));
    // Progress for all ten, in order, with the count.
    QCOMPARE(r.progress.size(), 10);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(r.progress.at(i), qMakePair(i, 10));

    // Squares of ThumbSize; a 2:1 picture fills half the height, centred.
    for (const QImage &image : r.images)
        QCOMPARE(image.size(), QSize(50, 50));
    QCOMPARE(opaqueRows(r.images.at(0), 25), 25);
    QCOMPARE(qAlpha(r.images.at(0).pixel(25, 5)), 0);
    QCOMPARE(qAlpha(r.images.at(0).pixel(25, 25)), 255);
    // The text file's item is the text stock picture.
    QCOMPARE(r.images.at(2), StockIcons::icon(4, 50));
}

void TestThumbnailBuilder::oneFileAndEmptyList()
{
    QTemporaryDir dir;
    QVERIFY(halves(30, 30).save(dir.filePath("one.bmp"), "BMP"));
    ThumbnailBuilder builder;
    Recorder r;
    r.attach(builder, this);
    builder.start(dir.path(), {ThumbnailEntry{"one.bmp", 0}}, 40);   // no trailing "/"
    QTRY_COMPARE(r.finished, 1);
    QCOMPARE(r.items, QList<int>{0});
    QCOMPARE(r.progress, (QList<QPair<int, int>>{qMakePair(0, 1)}));

    Recorder empty;
    ThumbnailBuilder other;
    empty.attach(other, this);
    other.start(dir.path(), {}, 40);
    QTRY_COMPARE(empty.finished, 1);
    QVERIFY(empty.items.isEmpty() && empty.progress.isEmpty());
}

void TestThumbnailBuilder::cancelStopsEveryLaterDelivery()
{
    QTemporaryDir dir;
    QList<ThumbnailEntry> entries;
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("big%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        if (i == 0)
            QVERIFY(halves(2400, 1600).save(dir.filePath(name), "JPG", 90));
        else
            QVERIFY(QFile::copy(dir.filePath("big00.jpg"), dir.filePath(name)));
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
        itemsAtCancel = int(r.items.size());
        progressAtCancel = int(r.progress.size());
    });
    builder.start(dir.path(), entries, 64);
    QTRY_VERIFY_WITH_TIMEOUT(itemsAtCancel >= 0, 20000);
    disconnect(once);
    QVERIFY(!builder.isRunning());
    QVERIFY(itemsAtCancel >= 1 && itemsAtCancel < 40);
    QTest::qWait(1500);   // decoders that were running finish meanwhile
    QCOMPARE(int(r.items.size()), itemsAtCancel);
    QCOMPARE(int(r.progress.size()), progressAtCancel);
    QCOMPARE(r.finished, 0);

    // The same builder runs a new folder afterwards.
    QTemporaryDir second;
    QVERIFY(halves(20, 20).save(second.filePath("new.bmp"), "BMP"));
    Recorder fresh;
    fresh.attach(builder, this);
    builder.start(second.path(), {ThumbnailEntry{"new.bmp", 0}}, 64);
    QTRY_COMPARE(fresh.finished, 1);
    QCOMPARE(fresh.names, QStringList{"new.bmp"});
}

void TestThumbnailBuilder::restartFromASignalHandlerDropsTheOldBuild()
{
    QTemporaryDir dir;
    QList<ThumbnailEntry> first;
    for (int i = 0; i < 6; ++i) {
        const QString name = QStringLiteral("a%1.jpg").arg(i);
        QVERIFY(halves(800, 600).save(dir.filePath(name), "JPG", 90));
        first << ThumbnailEntry{name, 0};
    }
    QVERIFY(writeFile(dir.filePath("b.txt"), "x"));
    const QList<ThumbnailEntry> second = {ThumbnailEntry{"b.txt", 4}, ThumbnailEntry{"a5.jpg", 0}};

    ThumbnailBuilder builder;
    QStringList names;
    int finished = 0;
    bool restarted = false;
    connect(&builder, &ThumbnailBuilder::itemReady, this, [&](int, const QString &name, const QImage &) {
        names << name;
        if (!restarted) {   // another view command arrives during the build
            restarted = true;
            builder.start(dir.path(), second, 32);
        }
    });
    connect(&builder, &ThumbnailBuilder::finished, this, [&] { ++finished; });
    builder.start(dir.path(), first, 32);
    QTRY_COMPARE_WITH_TIMEOUT(finished, 1, 20000);
    QTest::qWait(300);
    QCOMPARE(finished, 1);
    QCOMPARE(names, (QStringList{"a0.jpg", "b.txt", "a5.jpg"}));
}

void TestThumbnailBuilder::stockIconsAreDistinctPictures()
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
    QVERIFY(StockIcons::icon(7, 48).isNull());
}

QTEST_MAIN(TestThumbnailBuilder)
#include "tst_thumbnailbuilder.moc"
