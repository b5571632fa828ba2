#include "web/GalleryThumbnails.h"
#include "web/HtmlPageWriter.h"

#include "TestFiles.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "TestPictures.h"


#include <sys/stat.h>

namespace {
using namespace testfiles;
const mode_t userMask = 027;

// The <img> of each cell by link target: its src resolved against the page,
// and the size it is shown at.
struct ShownThumb {
    QString file;
    QSize size;
};
QHash<QString, ShownThumb> shownThumbs(const QString &pagePath)
{
    static const QRegularExpression img("<a href=\"([^\"]*)\"><img src=\"([^\"]*)\" width=\"(\\d+)\" height=\"(\\d+)\"");
    QHash<QString, ShownThumb> shown;
    const QUrl page = QUrl::fromLocalFile(pagePath);
    for (const QString &line : QString::fromUtf8(readAll(pagePath)).split("\r\n")) {
        const auto m = img.match(line);
        if (m.hasMatch())
            shown.insert(QUrl::fromPercentEncoding(m.captured(1).toUtf8()),
                         {page.resolved(QUrl(m.captured(2), QUrl::StrictMode)).toLocalFile(),
                          QSize(m.captured(3).toInt(), m.captured(4).toInt())});
    }
    return shown;
}


// The href and text of the one link of a cell line.
std::pair<QString, QString> linkOf(const QString &cell)
{
    static const QRegularExpression re("<a href=\"([^\"]*)\">(.*)</a></p>$");
    const auto m = re.match(cell);
    return {m.captured(1), m.captured(2)};
}

HtmlPageContent contentOf(const QStringList &names, const QString &perRow = "5")
{
    return HtmlPageContent{"Mega Sexy Title", perRow, names, true, "0.16.0", {}};
}

HtmlPageRequest requestFor(const QString &folder, const QStringList &names, bool thumbnails)
{
    HtmlPageRequest request;
    request.folder = folder;
    request.fileName = "Untitled.htm";
    request.content = contentOf(names);
    request.thumbnails = thumbnails;
    request.thumbWidth = "100";
    return request;
}
} // namespace

class TestHtmlPageWriter : public QObject
{
    Q_OBJECT
private slots:
    void hostileNamesAreEscapedAndStillLinkTheFile()
    {
        const QStringList names = {
            "say \"hi\".jpg", "<script>alert(1)</script>.htm", "Tom & Jerry.mp3", "100% done.txt",
            "part#2.jpg", "javascript:alert(1)", "two\nlines.txt", "a?b.gif",
        };
        const QStringList lines = htmlPageLines(contentOf(names, "1"));
        const QUrl page = QUrl::fromLocalFile("/srv/gallery/Untitled.htm");
        QStringList cells = lines.filter(QRegularExpression("^<td>"));
        QCOMPARE(cells.size(), names.size());   // no name adds or breaks a line
        for (int i = 0; i < cells.size(); ++i) {
            const auto [href, text] = linkOf(cells.at(i));
            // Resolved as a browser does, the target is the file itself ...
            QCOMPARE(page.resolved(QUrl(href, QUrl::StrictMode)).toLocalFile(), "/srv/gallery/" + names.at(i));
            // ... and the text holds no markup of its own.
            QVERIFY2(!text.contains(QRegularExpression("[<>\"]")), qPrintable(text));
            QCOMPARE(cells.at(i).count("<a "), 1);
        }
    }

    void thumbnailsForPicturesOnly()
    {
        QTemporaryDir dir;
        QImage wide = testpictures::solid(400, 200, Qt::red);
        QVERIFY(wide.save(dir.filePath("wide.jpg"), "JPEG"));
        QVERIFY(wide.copy(0, 0, 60, 120).save(dir.filePath("tall.BMP"), "BMP"));
        QVERIFY(wide.save(dir.filePath("picture.pcx"), "PNG"));   // not a kind that gets one
        QVERIFY(wide.copy(0, 0, 1, 118).save(dir.filePath("strip.jpg"), "JPEG"));   // never enlarged
        QVERIFY(writeFile(dir.filePath("notes.txt"), "hello"));
        QVERIFY(writeFile(dir.filePath("broken.jpg"), "this is no picture"));
        // Qt writes no GIF: ImageMagick makes one, under a name whose encoded form holds "%3C".
        QCOMPARE(QProcess::execute("convert", {"-size", "150x50", "xc:blue", "GIF:" + dir.filePath("a<b>.gif")}), 0);

        HtmlPageRequest request = requestFor(dir.path(), {"wide.jpg", "notes.txt", "tall.BMP", "broken.jpg",
                                                          "picture.pcx", "a<b>.gif", "strip.jpg"}, true);
        request.fileName = "My page.htm";
        request.thumbWidth = "50 px";
        int calls = 0;
        const HtmlPageResult result = HtmlPageWriter(request).write([&calls](int, int) { return ++calls > 0; });
        QCOMPARE(result.status, HtmlPageResult::Written);
        QCOMPARE(result.thumbnailCount, 4);
        QCOMPARE(calls, 5);   // one report per picture tried, the broken one too

        const QString thumbs = dir.filePath("My page_thumbs");
        QCOMPARE(entries(thumbs), (QStringList{"a<b>.gif.png", "strip.jpg.png", "tall.BMP.png", "wide.jpg.png"}));

        // Each picture's link shows its own thumbnail at the thumbnail's size.
        const QHash<QString, ShownThumb> shown = shownThumbs(result.pagePath);
        QCOMPARE(shown.size(), 4);
        for (auto it = shown.begin(); it != shown.end(); ++it) {
            QCOMPARE(it->file, thumbs + "/" + it.key() + ".png");
            QCOMPARE(QImageReader(it->file).size(), it->size);
        }
        QCOMPARE(shown.value("a<b>.gif").size, QSize(50, 17));
        QCOMPARE(shown.value("strip.jpg").size, QSize(1, 118));
        // The page and its thumbnails are the user's files like any other's.
        QCOMPARE(modeOf(result.pagePath), 0666 & ~userMask);
        QCOMPARE(modeOf(shown.value("wide.jpg").file), 0666 & ~userMask);

        QCOMPARE(thumbnailWidth("abc"), 100);
        QCOMPARE(thumbnailWidth("900000"), 2000);
    }

    void pageIsWrittenWholeOrNotAtAll()
    {
        QTemporaryDir dir;
        QImage pic = testpictures::solid(80, 40, Qt::green);
        QVERIFY(pic.save(dir.filePath("1.jpg"), "JPEG") && pic.save(dir.filePath("2.jpg"), "JPEG"));
        QVERIFY(writeFile(dir.filePath("plain-file"), "x"));
        QVERIFY(QDir(dir.path()).mkdir("taken.htm"));
        const QByteArray oldPage = "<html>the page from last time</html>";
        QVERIFY(writeFile(dir.filePath("Untitled.htm"), oldPage));
        const QStringList before = entries(dir.path());

        // Refused names and folders: a message that says why, and nothing changes.
        const QList<std::tuple<QString, QString, QString>> refused = {
            {dir.path(), "", "file name"},
            {dir.path(), "sub/page.htm", "\"/\""},
            {dir.path(), "..", "cannot be used"},
            {dir.path(), "taken.htm", "folder"},
            {dir.filePath("plain-file"), "page.htm", "Cannot write the page"},
        };
        for (const bool thumbnails : {false, true}) {
            for (const auto &[folder, name, says] : refused) {
                HtmlPageRequest request = requestFor(folder, {"1.jpg"}, thumbnails);
                request.fileName = name;
                const HtmlPageResult result = HtmlPageWriter(request).write();
                QCOMPARE(result.status, HtmlPageResult::Failed);
                QVERIFY2(result.message.contains(says), qPrintable(name + ": " + result.message));
            }
        }
        QCOMPARE(entries(dir.path()), before);

        // Cancelled while making thumbnails: the old page stays, no thumbnails remain.
        const HtmlPageRequest request = requestFor(dir.path(), {"1.jpg", "2.jpg"}, true);
        QCOMPARE(HtmlPageWriter(request).write([](int done, int) { return done < 2; }).status, HtmlPageResult::Cancelled);
        QCOMPARE(readAll(dir.filePath("Untitled.htm")), oldPage);
        QCOMPARE(entries(dir.path()), before);

        // The thumbnail folder's name is taken by a file: the same.
        QVERIFY(writeFile(dir.filePath("Untitled_thumbs"), "mine"));
        const HtmlPageResult failed = HtmlPageWriter(request).write();
        QVERIFY2(failed.message.contains("thumbnail folder"), qPrintable(failed.message));
        QCOMPARE(readAll(dir.filePath("Untitled.htm")), oldPage);
        QCOMPARE(readAll(dir.filePath("Untitled_thumbs")), QByteArray("mine"));

        // Written: the old page is replaced, byte for byte as the lines say.
        QVERIFY(QFile::remove(dir.filePath("Untitled_thumbs")));
        const HtmlPageResult written = HtmlPageWriter(request).write();
        QCOMPARE(written.status, HtmlPageResult::Written);
        QCOMPARE(written.pagePath, dir.filePath("Untitled.htm"));
        HtmlPageContent shown = request.content;
        shown.thumbs = {{"1.jpg", {"Untitled_thumbs/1.jpg.png", 80, 40}}, {"2.jpg", {"Untitled_thumbs/2.jpg.png", 80, 40}}};
        QCOMPARE(readAll(written.pagePath), htmlPageBytes(htmlPageLines(shown)));
    }

    void pageNeverReplacesAnotherFile()
    {
        QTemporaryDir dir;
        QImage tiny = testpictures::solid(4, 3, Qt::yellow);
        QVERIFY(tiny.save(dir.filePath("tiny.jpg"), "JPEG"));
        const QByteArray jpeg = readAll(dir.filePath("tiny.jpg"));
        QVERIFY(writeFile(dir.filePath("notes.txt"), "my notes"));
        QVERIFY(writeFile(dir.filePath("fake.htm"), QByteArray("\x89PNG\r\n\x1a\n", 8) + "not a page"));
        QVERIFY(writeFile(dir.filePath("old.html"), "<html>last time</html>"));
        const QStringList listed = {"tiny.jpg", "old.html"};

        // A listed picture, a file that is not listed, a picture named like a page.
        for (const QString &name : {QString("tiny.jpg"), QString("notes.txt"), QString("fake.htm")}) {
            for (const bool thumbnails : {false, true}) {
                HtmlPageRequest request = requestFor(dir.path(), listed, thumbnails);
                request.fileName = name;
                const HtmlPageResult result = HtmlPageWriter(request).write();
                QCOMPARE(result.status, HtmlPageResult::Failed);
                QVERIFY2(result.message.contains("not an HTML page"), qPrintable(result.message));
                QVERIFY2(result.message.contains(name), qPrintable(result.message));
            }
        }
        QCOMPARE(readAll(dir.filePath("tiny.jpg")), jpeg);
        QCOMPARE(readAll(dir.filePath("notes.txt")), QByteArray("my notes"));
        QCOMPARE(entries(dir.path()), (QStringList{"fake.htm", "notes.txt", "old.html", "tiny.jpg"}));

        // An earlier page is replaced, listed or not, and so is an empty file.
        for (const QString &name : {QString("old.html"), QString("new.htm")}) {
            if (name == "new.htm")
                QVERIFY(writeFile(dir.filePath(name), ""));
            HtmlPageRequest request = requestFor(dir.path(), listed, false);
            request.fileName = name;
            QCOMPARE(HtmlPageWriter(request).write().status, HtmlPageResult::Written);
            QVERIFY(readAll(dir.filePath(name)).endsWith("</body></html>\r\n"));
        }
    }
};

int main(int argc, char **argv)
{
    // A known umask, set before anything is written.
    ::umask(userMask);
    QCoreApplication app(argc, argv);
    TestHtmlPageWriter test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_htmlpagewriter.moc"
