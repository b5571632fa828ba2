// The shared thumbnail cache as other programs see it: entries are read back
// with a plain PNG reader and named from the URI computed here, not by the
// cache's own functions. (The keys are taken from the image read, as
// QImageReader::text() cuts keys at their first colon.)
#include "HostilePictures.h"
#include "TestMedia.h"
#include "viewer/PictureLimits.h"
#include "viewer/ThumbnailBuilder.h"
#include "viewer/ThumbnailCache.h"
#include "core/version.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>

#include "TestPictures.h"

using namespace testmedia;

using testpictures::solid;

namespace {

QString standardUri(const QString &path)
{
    return QString::fromLatin1("file://" + QUrl::toPercentEncoding(path, "/"));
}

// What any thumbnailer names an entry: MD5 of file:// and the percent-encoded path.
QString standardName(const QString &path)
{
    return QString::fromLatin1(QCryptographicHash::hash(standardUri(path).toLatin1(), QCryptographicHash::Md5).toHex())
           + ".png";
}

qint64 mtimeOf(const QString &path)
{
    return QFileInfo(path).lastModified().toSecsSinceEpoch();
}

void setMTime(const QString &path, const QDateTime &when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

// Runs one build and returns the thumbnails by file name.
QHash<QString, QImage> build(const QString &folder, const QStringList &names, int thumbSize,
                             const QString &cacheRoot)
{
    ThumbnailBuilder builder;
    builder.setCache(std::make_shared<ThumbnailCache>(cacheRoot));
    QSignalSpy ready(&builder, &ThumbnailBuilder::itemReady);
    QSignalSpy finished(&builder, &ThumbnailBuilder::finished);
    QList<ThumbnailEntry> entries;
    for (const QString &name : names)
        entries << ThumbnailEntry{name, 0, {}};
    builder.start(folder, entries, thumbSize);
    finished.wait(20000);
    QHash<QString, QImage> items;
    for (const QList<QVariant> &item : ready)
        items.insert(item.at(1).toString(), item.at(2).value<PackedImage>().unpack());
    return items;
}

// An entry as any PNG reader sees it, with its text keys.
QImage readPng(const QString &file)
{
    QImageReader reader(file);
    if (reader.format() != "png")
        return QImage();
    return reader.read();
}

QRgb centre(const QImage &image)
{
    return image.pixel(image.width() / 2, image.height() / 2) & 0xffffffu;
}

} // namespace

class TestThumbnailCache : public QObject {
    Q_OBJECT
private slots:
    void entriesCarryTheStandardsNamesAndKeys()
    {
        QTemporaryDir pics, cache;
        const QString wide = pics.filePath("summer photo ä.jpg");   // a blank and a non-ASCII letter
        QVERIFY(halves(600, 400).save(wide, "JPG", 90));
        const QString root = cache.filePath("thumbnails");
        QCOMPARE(build(pics.path(), {"summer photo ä.jpg"}, 100, root).value("summer photo ä.jpg").size(), QSize(100, 100));

        // Up to 128 pixels: the normal folder, named by the URI's MD5.
        const QString entry = root + "/normal/" + standardName(wide);
        const QImage png = readPng(entry);
        QCOMPARE(png.text("Thumb::URI"), standardUri(wide));
        QCOMPARE(png.text("Thumb::MTime"), QString::number(mtimeOf(wide)));
        QCOMPARE(png.text("Thumb::Size"), QString::number(QFileInfo(wide).size()));
        QCOMPARE(png.size(), QSize(128, 85));   // fitted inside 128, proportions kept
        // The user's alone: the file 0600, its folders 0700; no temporary file left beside it.
        QCOMPARE(QFileInfo(entry).permissions() & 0x0777, QFileDevice::Permissions(0x0600));
        QCOMPARE(QFileInfo(root).permissions() & 0x0777, QFileDevice::Permissions(0x0700));
        QCOMPARE(QDir(root + "/normal").entryList(QDir::Files).size(), 1);

    }

    void aTouchedPictureIsRebuiltAndAnotherProgramsEntryIsReused()
    {
        QTemporaryDir pics, cache;
        const QString root = cache.filePath("thumbnails");
        const QString path = pics.filePath("p.jpg");
        QVERIFY(solid(300, 200, qRgb(220, 20, 20)).save(path, "JPG", 95));
        const QDateTime first = QDateTime::currentDateTime().addSecs(-100);
        setMTime(path, first);

        // Another program's entry: only the two required keys, a picture of its
        // own (blue, so that reuse shows), mode 0644.
        QVERIFY(QDir().mkpath(root + "/normal"));
        const QString entry = root + "/normal/" + standardName(path);
        QImage theirs = solid(128, 85, qRgb(20, 20, 220));
        theirs.setText("Thumb::URI", standardUri(path));
        theirs.setText("Thumb::MTime", QString::number(first.toSecsSinceEpoch()));
        QVERIFY(QImageWriter(entry, "png").write(theirs));
        auto items = build(pics.path(), {"p.jpg"}, 64, root);
        QVERIFY(near(centre(items.value("p.jpg")), qRgb(20, 20, 220), 11));   // theirs, not decoded

        // touch: the entry no longer describes the file, so the picture is decoded again.
        const QDateTime later = first.addSecs(50);
        setMTime(path, later);
        items = build(pics.path(), {"p.jpg"}, 64, root);
        QVERIFY(near(centre(items.value("p.jpg")), qRgb(220, 20, 20), 11));
        QCOMPARE(readPng(entry).text("Thumb::MTime"), QString::number(later.toSecsSinceEpoch()));
    }

    void aHostileEntryIsDecodedUnderTheLimits()
    {
        // Any program may write the cache: an entry with the right keys and a
        // 1-bit bomb for pixels is refused like the same file anywhere else.
        PictureLimits::applyToImageReader();
        QTemporaryDir pics, cache;
        const QString root = cache.filePath("thumbnails");
        const QString path = pics.filePath("p.jpg");
        QVERIFY(solid(300, 200, qRgb(220, 20, 20)).save(path, "JPG", 95));
        QByteArray bomb = hostile::blankOneBitPng(16000, 16000);
        bomb.insert(33, hostile::pngChunk("tEXt", QByteArray("Thumb::URI") + '\0' + standardUri(path).toLatin1())
                            + hostile::pngChunk("tEXt", QByteArray("Thumb::MTime") + '\0' + QByteArray::number(mtimeOf(path))));
        QVERIFY(QDir().mkpath(root + "/normal"));
        QVERIFY(writeFile(root + "/normal/" + standardName(path), bomb));
        const ThumbnailCache::Entry entry = ThumbnailCache(root).find(path, 128);
        QVERIFY(entry.state != ThumbnailCache::State::Ready);
        QVERIFY(entry.image.isNull());
    }

    void aFailingPictureIsRecorded()
    {
        QTemporaryDir pics, cache;
        const QString root = cache.filePath("thumbnails");
        const QString broken = pics.filePath("broken.jpg");
        QVERIFY(writeFile(broken, jpegBytes(halves(50, 50)).left(120)));
        const QString good = pics.filePath("good.jpg");
        QVERIFY(halves(80, 60).save(good, "JPG", 90));

        auto items = build(pics.path(), {"broken.jpg", "good.jpg"}, 64, root);
        QCOMPARE(items.keys(), QStringList{"good.jpg"});
        const QString failFolder = root + "/fail/glintwave-" GLINTWAVE_VERSION_TEXT;
        const QImage record = readPng(failFolder + "/" + standardName(broken));
        QCOMPARE(record.text("Thumb::MTime"), QString::number(mtimeOf(broken)));
        QVERIFY(!QFile::exists(root + "/normal/" + standardName(broken)));
    }

};

QTEST_MAIN(TestThumbnailCache)
#include "tst_thumbnailcache.moc"
