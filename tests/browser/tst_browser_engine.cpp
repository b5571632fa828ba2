#include "browser/FileDetails.h"
#include "browser/FileListing.h"
#include "browser/FilePattern.h"
#include "browser/GridSort.h"
#include "browser/MediaTypes.h"
#include "browser/PackedImage.h"
#include "browser/TypeFilters.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace testfiles;

class TestBrowserEngine : public QObject {
    Q_OBJECT
private slots:
    // The format table round trip: every row's extension is listed by its
    // type box (and by no other), opens as its kind and thumbnails as its icon.
    void everyFormatIsListedByItsBoxAndOpensAsItsKind()
    {
        using namespace TypeFilters;
        for (const MediaFormats::Format &f : MediaFormats::all()) {
            const QString name = "Holiday." + QString::fromLatin1(f.extension).toLower();
            for (int box = 1; box < BoxCount; ++box)
                QVERIFY2(FilePattern(caption(box)).matches(name) == (box == f.box),
                         qPrintable(name + " against " + caption(box)));
            QCOMPARE(int(mediaKindOf(ExtensionKey(name))), int(f.kind));
            QCOMPARE(thumbnailSourceOf(ExtensionKey(name)), int(f.icon));
        }
        // Each box lists something and is placed on its page.
        for (int box = 1; box < BoxCount; ++box) {
            QVERIFY(!MediaFormats::extensionsInBox(box).isEmpty());
            QVERIFY(boxesOnPage(pageOf(box)).contains(box));
        }
    }

    void listingReadsARealFolder()
    {
        QTemporaryDir dir;
        const QString d = dir.path();
        // x.jpg.bak: a pattern matches the whole name, not a part of it.
        for (const char *n : {"b.JPG", "A.jpg", "c.txt", "Zeta.jpeg", "a b 'q' \"<&%#>\".jpg",
                              ".hidden.jpg", "noext", "x.jpg.bak"})
            QVERIFY(writeFile(d + "/" + n));
        QVERIFY(QDir(d).mkdir("folder.jpg"));
        QVERIFY(QFile::link(d + "/A.jpg", d + "/link.jpg"));
        QVERIFY(QFile::link(d + "/missing", d + "/dangling.jpg"));
        // Names whose bytes are not valid UTF-8 (six that show alike, made in
        // an order other than their bytes') are listed with replacement
        // characters and keep their bytes.
        const QList<QByteArray> odd = {"bad\xff\xf3.jpg", "bad\xfe\xff.jpg", "bad\xff\xf0.jpg",
                                       "bad\xff\xfe.jpg", "bad\xf8\xff.jpg", "bad\xff\xf5.jpg"};
        for (const QByteArray &n : odd) {
            FILE *f = fopen((QFile::encodeName(d) + "/" + n).constData(), "w");
            QVERIFY(f);
            fclose(f);
        }
        const QString bad = QString("bad") + QChar(0xFFFD) + QChar(0xFFFD) + ".jpg";

        FileListing list;
        list.setPath(d);
        QVERIFY(list.setPattern("*.JPG;*.JPEG"));
        QCOMPARE(list.names(), QStringList({"a b 'q' \"<&%#>\".jpg", "A.jpg", "b.JPG", bad, bad, bad, bad, bad, bad,
                                            "link.jpg", "Zeta.jpeg"}));
        // Alike as text, they sort by their bytes.
        QList<QByteArray> byBytes = odd;
        std::sort(byBytes.begin(), byBytes.end());
        QCOMPARE(list.rawNames().mid(3, 6), byBytes);
        // Their details are read through the bytes.
        const QVector<DetailRow> rows = readDetails(d, list.names(), list.rawNames());
        QCOMPARE(rows[3].raw, byBytes[0]);
        QCOMPARE(rows[3].size, QString(" 0")); // empty, but read
        QVERIFY(list.setPattern("*.*"));
        QCOMPARE(list.ListCount(), 14);
        QVERIFY(!list.setPattern("a/b"));
        QCOMPARE(list.pattern(), QString("*.*"));
        QVERIFY(list.setPattern("?.jpg"));   // one character, of any case
        QCOMPARE(list.names(), QStringList({"A.jpg", "b.JPG"}));
        list.setPath(d + "/vanished");
        QCOMPARE(list.ListCount(), 0);
        for (const QByteArray &n : odd)
            unlink((QFile::encodeName(d) + "/" + n).constData()); // QTemporaryDir cannot remove them by name
    }

    void typeOfEachFile()
    {
        // Names without a dot are described one by one, not by the first
        // one's suffix; so are names the database knows whole.
        QTemporaryDir dir;
        const QString d = dir.path();
        QVERIFY(writeFile(d + "/Makefile", "all:\n\ttrue\n"));
        QVERIFY(writeFile(d + "/notes", "plain words\n"));
        QVERIFY(writeFile(d + "/CMakeLists.txt", "project(x)\n"));
        const QVector<DetailRow> rows = readDetails(d, {"Makefile", "notes", "CMakeLists.txt"});
        QMimeDatabase db;
        QCOMPARE(rows[0].type, db.mimeTypeForName("text/x-makefile").comment());
        QCOMPARE(rows[1].type, db.mimeTypeForName("text/plain").comment());
        QCOMPARE(rows[2].type, db.mimeTypeForName("text/x-cmake").comment());
    }

    void gridSorting()
    {
        auto row = [](QString n, qint64 b, QString d, QString t) {
            DetailRow r;
            r.name = n;
            r.bytes = b;
            r.size = sizeField(b);
            r.date = d;
            r.type = t;
            return r;
        };
        const QVector<DetailRow> rows = {row("b.txt", 10, "2002-01-01 00:00", "plain"),
                                         row("A.txt", 9, "2001-06-30 17:05", "Plain"),
                                         row("c.txt", 100, "1999-12-31 23:59", "JPEG")};
        auto names = [](const QVector<DetailRow> &r) {
            QStringList n;
            for (const auto &x : r)
                n << x.name;
            return n;
        };
        // By the moment taken: files without one come after, by modification
        // time, whichever way round.
        QVector<DetailRow> r = rows;
        r[0].takenMs = 5000, r[1].modifiedMs = 100, r[2].modifiedMs = 50;
        r << row("d.jpg", 1, "", "");
        r.last().takenMs = 7000;
        GridSort::sortRows(r, 4, 2);
        QCOMPARE(names(r), QStringList({"d.jpg", "b.txt", "A.txt", "c.txt"}));
        // Rows in a listing's order sort by name without a sort, as a sort
        // would: names equal but for case keep the listing's order both ways.
        QStringList listed = {"b.txt", "B.txt", "ä.txt", "a.txt", "c.txt", "A.txt", "Ä.txt"};
        QList<QByteArray> listedRaw;
        for (const QString &n : listed)
            listedRaw << n.toUtf8();
        FileListing::sortNames(listed, listedRaw);
        r.clear();
        for (const QString &n : listed)
            r << row(n, 1, "", "");
        for (int direction : {1, 2})
            QCOMPARE(GridSort::sortOrder(r, 0, direction, true), GridSort::sortOrder(r, 0, direction, false));
    }

    // Packed pictures come back bit for bit: noise (nothing to predict),
    // partly transparent premultiplied pixels, a line, transparent margins,
    // and a format of fewer bits, which comes back as 32-bit.
    void packedPicturesComeBackExactly()
    {
        QRandomGenerator random(11);
        QImage noise(37, 23, QImage::Format_RGB32), glass(17, 9, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, 0xff000000 | random.bounded(0x1000000));
        for (int y = 0; y < glass.height(); ++y)
            for (int x = 0; x < glass.width(); ++x)
                glass.setPixel(x, y, qPremultiply(random.generate()));
        QImage line(1, 5, QImage::Format_ARGB32);
        line.fill(qRgba(255, 0, 128, 3));
        QImage grey(9, 4, QImage::Format_Grayscale8);
        for (int y = 0; y < grey.height(); ++y)
            for (int x = 0; x < grey.width(); ++x)
                grey.setPixel(x, y, qRgb(x * 28, x * 28, x * 28));
        // Margins of transparent pixels are not stored: all of them, or all
        // but one pixel.
        QImage clear(8, 6, QImage::Format_ARGB32_Premultiplied), dot;
        clear.fill(Qt::transparent);
        dot = clear.copy();
        dot.setPixel(5, 2, qRgba(10, 20, 30, 255));
        for (const QImage &image : {noise, glass, line, clear, dot})
            QCOMPARE(PackedImage(image).unpack(), image);
        QCOMPARE(PackedImage(grey).unpack(), grey.convertToFormat(QImage::Format_RGB32));
        QVERIFY(PackedImage(QImage()).isNull() && PackedImage().unpack().isNull());
    }

    void headerHitTest()
    {
        const std::array<double, 3> w = {3000, 1500, 2000};
        // Exactly on a border: the column stays, only the direction changes.
        QCOMPARE(GridSort::headerColumnAt(3000, w, 2), 2);
        // Near a column's right edge a press resizes that column.
        const std::vector<int> edges = {200, 300, 433, 700, -1, 900};
        QCOMPARE(GridSort::separatorAt(250, edges, 4), -1);
        QCOMPARE(GridSort::separatorAt(898, edges, 4), 5); // an optional column, hidden ones skipped
    }
};

QTEST_GUILESS_MAIN(TestBrowserEngine)
#include "tst_browser_engine.moc"
