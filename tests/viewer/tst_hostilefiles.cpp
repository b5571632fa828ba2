// Hostile picture files through every path that loads pictures: the loader
// itself, the thumbnail builder, the gallery builder and the batch mode all
// follow one policy (PictureLimits).
#include "BatchRun.h"
#include "DamagedPictures.h"
#include "HostilePictures.h"
#include "web/GalleryThumbnails.h"
#include "viewer/PictureLimits.h"
#include "viewer/PictureLoader.h"
#include "TestMedia.h"
#include "viewer/ThumbnailBuilder.h"
#include "TodaysMedia.h"
#include "WmfWriter.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtConcurrent>
#include <QtTest>

#include <cerrno>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>


using namespace testmedia;
using testbatch::batch;
using testbatch::BatchRun;

namespace {

// A photo-like picture that does not compress well: about 80 KB as JPEG.
QImage noisy(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(14);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, int(rng.bounded(256)), y * 255 / h));
    return image;
}

QByteArray bomb(const QByteArray &real, const QString &kind, quint32 w, quint32 h)
{
    QByteArray b = real;
    return damaged::claimSize(b, kind, w, h) ? b : QByteArray();
}

// Reaps the helpers the batch mode left behind (this process is their
// subreaper); true once none is left.
bool reapedAll()
{
    for (;;) {
        const pid_t pid = ::waitpid(-1, nullptr, WNOHANG);
        if (pid < 0)
            return errno == ECHILD;
        if (pid == 0)
            return false;
    }
}

// The largest resident memory of any process this one started and reaped,
// helpers included, in kB.
qint64 childrenPeakKb()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

constexpr qint64 OneGbKb = 1024 * 1024;

// Starts this process's peak memory afresh, so that each file is measured on
// its own.
bool resetPeakMemory()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

}

class TestHostileFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Helpers killed with the batch mode come back here, so that their
        // memory is counted.
        QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    }
    // A blank 24 MP WebP packs as tightly as a bomb, yet is a real picture:
    // the batch mode (the sandboxed path) saves it.
    void aBlankLargeWebpOpens()
    {
        QImage blank(6000, 4000, QImage::Format_RGB32);
        blank.fill(Qt::white);
        const QString path = m_dir.filePath("blank.webp");
        QVERIFY(blank.save(path, "WEBP", 50));
        QVERIFY(double(blank.width()) * blank.height() / QFileInfo(path).size() > 512);   // past the bound
        QTemporaryDir out;
        QProcess batch;
        batch.start(GW_APPLY_PROGRAM, {"H", "--out", out.path(), path});
        QVERIFY(batch.waitForFinished(60000));
        QVERIFY2(batch.exitCode() == 0, batch.readAllStandardError().constData());
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 1);
    }

    void boundsPerFormat()
    {
        const qint64 budget = PictureLimits::budgetBytes(qint64(24) << 30);
        QCOMPARE(budget, qint64(6) << 30);   // a quarter of the memory
        QCOMPARE(PictureLimits::budgetBytes(qint64(64) << 30), PictureLimits::HardCapBytes);
        using PictureLimits::refusal;
        // Real files near each format's extreme (the bombs themselves are
        // refused on every path below, a blank WebP opened above).
        QVERIFY(refusal("png", QSize(20000, 20000), 50 * 1024, budget).isEmpty());   // 1-bit blank, deflated
        // A large photo fits here, not on a small machine; no side beyond any format's.
        QVERIFY(refusal("jpeg", QSize(40000, 20000), 10 << 20, budget).isEmpty());
        QVERIFY(refusal("jpeg", QSize(40000, 20000), 10 << 20, PictureLimits::budgetBytes(qint64(4) << 30)).contains("too large"));
        QVERIFY(!PictureLimits::acceptable(QSize(65500, 65500), budget));
        // A picture that takes the whole budget still fits.
        QVERIFY(PictureLimits::acceptable(QSize(1000, 1000), 4000000));
        QVERIFY(!PictureLimits::acceptable(QSize(1000, 1000), 3999999));
        // Bounds that know the bits a pixel takes: a page with a line of text
        // at 600 dpi passes, an RGBA bomb does not.
        QVERIFY(refusal("png", QSize(5100, 6600), 20 * 1024, budget, 1).isEmpty());
        QVERIFY(!refusal("png", QSize(8000, 8000), 200 * 1024, budget, 32).isEmpty());
        // A smooth 24 MP sky as lossy WebP is 52 KB.
        QVERIFY(refusal("webp", QSize(6000, 4000), 52 * 1024, budget).isEmpty());
    }

    void bombsAreRefusedEverywhere_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray jpeg = encoded(noisy(250, 250), "JPG", 90);
        QTest::newRow("jpeg 30000 x 30000") << "bomb.jpg" << bomb(jpeg, "x.jpg", 30000, 30000);
        QByteArray bmp = encoded(noisy(8, 6), "BMP");
        bmp.resize(246);
        QTest::newRow("bmp 37 x 6881303 in 246 bytes") << "bomb.bmp" << bomb(bmp, "x.bmp", 37, 6881303);
        QTest::newRow("png 30000 x 30000, valid CRC") << "bomb.png" << bomb(encoded(noisy(64, 64), "PNG"), "x.png", 30000, 30000);
        QTest::newRow("ico holding 30000 x 30000") << "bomb.ico" << bomb(encoded(noisy(32, 32), "ICO"), "x.ico", 30000, 30000);
        // Within the budget, but far more than its own few bytes can hold;
        // the rest of the file (other pictures, say) must not count for it.
        QTest::newRow("ico holding 12000 x 12000, more behind it")
            << "bomb-padded.ico" << bomb(encoded(noisy(32, 32), "ICO"), "x.ico", 12000, 12000) + QByteArray(64 * 1024, 'x');
        QByteArray gif("GIF89a", 6);
        gif += QByteArray("\xFF\xFF\xFF\xFF\x80\x00\x00", 7) + QByteArray(6, '\x40');   // 65535 x 65535, 2 colours
        gif += QByteArray("\x2C\0\0\0\0\xFF\xFF\xFF\xFF\x00\x02\x02\x44\x01\x00\x3B", 16);
        QTest::newRow("gif 65535 x 65535") << "bomb.gif" << gif;
        QString error;
        const QByteArray avif = testfiles::readAll(todaysmedia::make(m_dir.path(), "avif", &error));
        QVERIFY2(!avif.isEmpty(), qPrintable(error));
        QTest::newRow("avif 60000 x 60000") << "bomb.avif" << bomb(avif, "x.avif", 60000, 60000);
        // A metafile whose header claims a 4 GB record: libwmf would set that
        // much aside before reading anything (found by fuzzing).
        WmfWriter w;
        w.setWindow(0, 0, 100, 100);
        w.rectangle(10, 10, 90, 90);
        QByteArray wmf = w.data(false);
        qToLittleEndian<quint32>(0x7FFFFFFF, wmf.data() + 12);
        QTest::newRow("wmf with a 4 GB record") << "bomb.wmf" << wmf;
        QTest::newRow("top-down bmp 16384 x 16384 in 118 bytes") << "bomb-topdown.bmp" << hostile::topDownBmp(16384, 16384);
        QTest::newRow("1-bit png 16000 x 16000 in 31 KB") << "bomb-1bit.png" << hostile::blankOneBitPng(16000, 16000);
        QTest::newRow("tiff 20000 x 20000, strips sharing one block")
            << "bomb-shared.tif" << hostile::sharedStripTiff(20000, 20000, 160 * 1024);
        QTest::newRow("webp 16383 x 16383") << "bomb.webp" << bomb(encoded(noisy(600, 600), "WEBP", 90), "x.webp", 16383, 16383);
    }

    void bombsAreRefusedEverywhere()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QVERIFY(!bytes.isEmpty());
        QVERIFY(writeFile(path(name), bytes));
        const qint64 before = peakMemoryKb();
        const LoadedPicture whole = PictureLoader::load(path(name));
        QVERIFY(!whole.ok());
        QVERIFY2(whole.error.contains("damaged") || whole.error.contains("too large"), qPrintable(whole.error));
        // As the viewer asks, a quick view of a large picture will do.
        PictureLoader::LoadRequest viewer;
        viewer.quickPreview = true;
        viewer.view = QSize(1920, 1080);
        QCOMPARE(PictureLoader::load(path(name), viewer).error, whole.error);
        QVERIFY(!PictureLoader::loadThumbnail(path(name), 100).ok());
        QVERIFY(makeThumbnail(path(name), 100).isNull());   // the gallery builder

        ThumbnailBuilder builder;
        QSignalSpy items(&builder, &ThumbnailBuilder::itemReady);
        QSignalSpy finished(&builder, &ThumbnailBuilder::finished);
        builder.start(m_dir.path(), {ThumbnailEntry{name, 0, {}}}, 96);
        QVERIFY(finished.wait(10000));
        QCOMPARE(items.count(), 0);

        QTemporaryDir out;
        const BatchRun r = batch({"--apply", "H", "--out", out.path(), path(name)});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("cannot load " + path(name) + ": "), qPrintable(r.err));
        QVERIFY(QDir(out.path()).isEmpty());

        QVERIFY2(peakMemoryKb() - before < 100 * 1024, "a refused picture was allocated");
    }

    // Every hostile file, of this round and the earlier ones, through the
    // batch mode as a program (decoded in the sandboxed helper) and through
    // the loader in this process: refused with a message or decoded, in
    // time, and never with more than 1 GB.
    void hostileFilesReplay_data()
    {
        bombsAreRefusedEverywhere_data();
        QString error;
        QByteArray heic = testfiles::readAll(todaysmedia::make(m_dir.path(), "heic", &error));
        QVERIFY2(damaged::claimIspeSize(heic, 30000, 30000), qPrintable(error));
        QTest::newRow("heic 30000 x 30000") << "bomb.heic" << heic;
        QTest::newRow("svg 38000 x 38000") << "huge.svg" << hostile::svgDrawing(38000, 38000);
        QTest::newRow("svg naming itself") << "self.svg" << hostile::svgDrawing(100, 100, path("self.svg"));
        QVERIFY(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600) == 0 || errno == EEXIST);
        QTest::newRow("svg naming a pipe") << "pipe.svg" << hostile::svgDrawing(100, 100, path("pipe"));
    }

    void hostileFilesReplay()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString file = path("replay/" + name);
        QVERIFY(QDir().mkpath(path("replay")) && writeFile(file, bytes));

        QVERIFY(resetPeakMemory());
        const LoadedPicture p = PictureLoader::load(file);
        QVERIFY(p.ok() || !p.error.isEmpty());
        QVERIFY2(peakMemoryKb() < OneGbKb, "more than 1 GB in this process");

        QTemporaryDir out;
        QProcess batch;
        batch.start(GW_APPLY_PROGRAM, {"H", "--out", out.path(), file});
        QVERIFY2(batch.waitForFinished(60000), "the batch mode did not end in time");
        const QString err = QString::fromLocal8Bit(batch.readAllStandardError());
        if (batch.exitCode() == 0)
            QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 1);
        else
            QVERIFY2(batch.exitCode() == 1 && err.contains("cannot load " + file + ": "), qPrintable(err));
        QTRY_VERIFY(reapedAll());
        QVERIFY2(childrenPeakKb() < OneGbKb, qPrintable(QString("the batch mode or a helper held %1 MB").arg(childrenPeakKb() >> 10)));
    }

    void cutShortBmpIsNoSuccess()
    {
        // Qt's reader hands back the part of an uncompressed BMP that is there
        // as if it were whole.
        const QByteArray bmp = encoded(noisy(200, 100), "BMP");
        QVERIFY(writeFile(path("cut.bmp"), bmp.left(bmp.size() / 2)));
        const LoadedPicture p = PictureLoader::load(path("cut.bmp"));
        QVERIFY(!p.ok());
        QVERIFY(p.error.contains("damaged"));
    }

    void aGifFrameIsMeasuredByItsOwnHeader()
    {
        // A GIF whose first frame reaches far beyond its small logical screen.
        QByteArray gif("GIF89a\x10\0\x10\0\x80\0\0", 13);
        gif += QByteArray(6, '\x40');
        gif += QByteArray("\x2C\0\0\0\0\xFF\xFF\xFF\xFF\x00\x02\x02\x44\x01\x00\x3B", 16);
        QVERIFY(writeFile(path("wide-frame.gif"), gif));
        const LoadedPicture wide = PictureLoader::load(path("wide-frame.gif"));
        QVERIFY(!wide.ok());
        QVERIFY2(wide.error.contains("65535 x 65535"), qPrintable(wide.error));
    }

    void allDecodesShareOneBudget()
    {
        PictureLimits::DecodeBudget budget(100);
        QVERIFY(!budget.acquire(101));   // more than the whole: refused, not waited for
        PictureLimits::Reservation first(budget), second(budget);
        QVERIFY(first.take(40) && second.take(40));
        QCOMPARE(budget.inUse(), 80);
        // Without waiting, what is left can be taken to the last byte and no more.
        PictureLimits::Reservation rest(budget);
        QVERIFY(!rest.tryTake(21));
        QVERIFY(rest.tryTake(20));
        rest.reset();
        // A third decoder waits until another gives memory back, then goes on.
        std::atomic_bool got{false};
        QFuture<void> third = QtConcurrent::run([&] {
            PictureLimits::Reservation r(budget);
            got = r.take(40);
        });
        QVERIFY(!QTest::qWaitFor([&] { return got.load(); }, 200));
        first.reset();
        third.waitForFinished();
        QVERIFY(got);
        second.reset();
        QCOMPARE(budget.inUse(), 0);
    }

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
