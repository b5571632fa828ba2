#include "GalleryThumbnails.h"
#include "HtmlPageWriter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The number of cells in each table row of a page's lines.
QList<int> rowSizes(const QStringList &lines)
{
    QList<int> rows;
    for (const QString &line : lines) {
        if (line == "<tr>")
            rows << 0;
        else if (line.startsWith("<td>"))
            ++rows.last();
    }
    return rows;
}

// The (href, text) of the one link in a cell line.
std::pair<QString, QString> linkOf(const QString &cell)
{
    static const QRegularExpression re("<a href=\"([^\"]*)\">(.*)</a></p>$");
    const auto m = re.match(cell);
    return m.hasMatch() ? std::make_pair(m.captured(1), m.captured(2)) : std::make_pair(QString(), QString());
}

HtmlPageContent contentOf(const QStringList &names, const QString &perRow = "5")
{
    HtmlPageContent c;
    c.title = "Mega Sexy Title";
    c.itemsPerRow = perRow;
    c.names = names;
    c.showNames = true;
    c.version = "0.16.0";
    return c;
}

QStringList numberedNames(int n)
{
    QStringList names;
    for (int i = 1; i <= n; ++i)
        names << QString("p%1.jpg").arg(i, 2, 10, QChar('0'));
    return names;
}

} // namespace

class TestHtmlPageWriter : public QObject
{
    Q_OBJECT
private slots:
    void exactPageForTwoFiles();
    void rowsFollowItemsPerRow_data();
    void rowsFollowItemsPerRow();
    void linksWithoutTextAndTitleAsTyped();
    void hostileNamesAreEscapedAndStillLinkTheFile();
    void writesUtf8WithCrLfAndReplacesAnOldPage();
    void emptyListGivesATableWithoutRows();
    void thumbnailsForPicturesOnly();
    void refusedNamesAndFoldersLeaveNothingBehind();
    void failedOrCancelledThumbnailRunKeepsTheOldPage();
};

void TestHtmlPageWriter::exactPageForTwoFiles()
{
    const QStringList expected = {
        "<html>",
        "<head>",
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">",
        "<meta name=\"GENERATOR\" content=\"Glintwave v0.16.0\" > ",
        "<title>Mega Sexy Title</title>",
        "</head>",
        "<body>",
        "<center>",
        "<h1>Mega Sexy Title</h1>",
        "<table border=\"1\">",
        "<tr>",
        "<td><p align=\"center\"><a href=\"a.jpg\">a.jpg</a></p>",
        "<td><p align=\"center\"><a href=\"b.jpg\">b.jpg</a></p>",
        "</tr>",
        "</table>",
        "</center>",
        "</body></html>",
    };
    const QStringList lines = htmlPageLines(contentOf({"a.jpg", "b.jpg"}));
    QCOMPARE(lines, expected);
    QCOMPARE(htmlPageBytes(lines), expected.join("\r\n").toUtf8() + "\r\n");
}

void TestHtmlPageWriter::rowsFollowItemsPerRow_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<QString>("perRow");
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("12 by 5") << 12 << "5" << QList<int>{5, 5, 2};
    QTest::newRow("exact fit") << 10 << "5" << QList<int>{5, 5};
    QTest::newRow("zero") << 3 << "0" << QList<int>{1, 1, 1};
    QTest::newRow("negative") << 3 << "-3" << QList<int>{1, 1, 1};
    QTest::newRow("empty") << 3 << "" << QList<int>{1, 1, 1};
    QTest::newRow("no number") << 3 << "abc" << QList<int>{1, 1, 1};
    QTest::newRow("fraction") << 5 << "2.9" << QList<int>{2, 2, 1};
    QTest::newRow("number then text") << 7 << "3 per row" << QList<int>{3, 3, 1};
    QTest::newRow("more than files") << 4 << "99999999999" << QList<int>{4};
}

void TestHtmlPageWriter::rowsFollowItemsPerRow()
{
    QFETCH(int, files);
    QFETCH(QString, perRow);
    QFETCH(QList<int>, rows);
    const QStringList names = numberedNames(files);
    const QStringList lines = htmlPageLines(contentOf(names, perRow));
    QCOMPARE(rowSizes(lines), rows);
    // Every file once, in list order.
    QStringList linked;
    for (const QString &line : lines)
        if (line.startsWith("<td>"))
            linked << linkOf(line).first;
    QCOMPARE(linked, names);
}

void TestHtmlPageWriter::linksWithoutTextAndTitleAsTyped()
{
    HtmlPageContent c = contentOf({"a.jpg"});
    c.showNames = false;
    c.title = "Tom & Jerry <b>live</b>";
    const QStringList lines = htmlPageLines(c);
    QVERIFY(lines.contains("<td><p align=\"center\"><a href=\"a.jpg\"></a></p>"));
    QVERIFY(lines.contains("<title>Tom & Jerry <b>live</b></title>"));
    QVERIFY(lines.contains("<h1>Tom & Jerry <b>live</b></h1>"));
}

void TestHtmlPageWriter::hostileNamesAreEscapedAndStillLinkTheFile()
{
    const QStringList names = {
        "say \"hi\".jpg", "<script>alert(1)</script>.htm", "Tom & Jerry.mp3", "100% done.txt",
        "part#2.jpg", "javascript:alert(1)", "two\nlines.txt", "Grüße 写真.jpg", "a?b.gif",
    };
    const QStringList lines = htmlPageLines(contentOf(names, "1"));
    // No name adds or removes a line or a tag of the page.
    QCOMPARE(lines.size(), 10 + 3 * names.size() + 3);
    const QUrl page = QUrl::fromLocalFile("/srv/gallery/Untitled.htm");
    int cell = 0;
    for (const QString &line : lines) {
        if (!line.startsWith("<td>"))
            continue;
        const QString &name = names.at(cell++);
        const auto [href, text] = linkOf(line);
        QVERIFY2(!href.isEmpty(), qPrintable(line));
        // The target, resolved as a browser does, is the file itself.
        const QUrl target = page.resolved(QUrl(href, QUrl::StrictMode));
        QVERIFY2(target.isLocalFile(), qPrintable(href));
        QCOMPARE(target.toLocalFile(), "/srv/gallery/" + name);
        // The text holds no markup of its own.
        QVERIFY2(!text.contains('<') && !text.contains('>') && !text.contains('"'), qPrintable(text));
        QCOMPARE(line.count("<a "), 1);
    }
    QCOMPARE(cell, names.size());
    QVERIFY(lines.contains(
        "<td><p align=\"center\"><a href=\"%3Cscript%3Ealert(1)%3C%2Fscript%3E.htm\">"
        "&lt;script&gt;alert(1)&lt;/script&gt;.htm</a></p>"));
    QVERIFY(lines.contains("<td><p align=\"center\"><a href=\"Tom%20%26%20Jerry.mp3\">Tom &amp; Jerry.mp3</a></p>"));
    QVERIFY(lines.contains("<td><p align=\"center\"><a href=\"two%0Alines.txt\">two&#10;lines.txt</a></p>"));
}

void TestHtmlPageWriter::writesUtf8WithCrLfAndReplacesAnOldPage()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pagePath = dir.filePath("Gallery.htm");
    writeBytes(pagePath, QByteArray(5000, 'x'));

    HtmlPageRequest request;
    request.folder = dir.path();
    request.fileName = "Gallery.htm";
    request.content = contentOf({"Grüße.jpg", "b.jpg"});
    const HtmlPageResult result = HtmlPageWriter(request).write();
    QCOMPARE(result.status, HtmlPageResult::Written);
    QCOMPARE(result.pagePath, pagePath);

    const QByteArray bytes = readAll(pagePath);
    QCOMPARE(bytes, htmlPageBytes(htmlPageLines(request.content)));
    QVERIFY(bytes.contains(QString("Grüße.jpg</a>").toUtf8()));
    QVERIFY(bytes.contains("href=\"Gr%C3%BC%C3%9Fe.jpg\""));
    QCOMPARE(bytes.count("\r\n"), bytes.count("\n"));
    // Nothing else is left in the folder: no temporary file, no thumbnails.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Gallery.htm"});
}

void TestHtmlPageWriter::emptyListGivesATableWithoutRows()
{
    const QStringList lines = htmlPageLines(contentOf({}));
    QCOMPARE(lines.size(), 13);
    QCOMPARE(lines.at(9), "<table border=\"1\">");
    QCOMPARE(lines.at(10), "</table>");
    QCOMPARE(lines.last(), "</body></html>");
}

void TestHtmlPageWriter::thumbnailsForPicturesOnly()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QImage wide(400, 200, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QVERIFY(wide.save(dir.filePath("wide.jpg"), "JPEG"));
    QImage tall(60, 120, QImage::Format_RGB32);
    tall.fill(Qt::blue);
    QVERIFY(tall.save(dir.filePath("tall.BMP"), "BMP"));
    // Qt writes no GIF: ImageMagick makes one.
    QCOMPARE(QProcess::execute("convert", {"-size", "60x120", "xc:blue", dir.filePath("a & b.gif")}), 0);
    writeBytes(dir.filePath("notes.txt"), "hello\n");
    writeBytes(dir.filePath("broken.jpg"), "this is no picture");
    QVERIFY(wide.save(dir.filePath("image.png"), "PNG"));   // not a thumbnail kind

    HtmlPageRequest request;
    request.folder = dir.path();
    request.fileName = "My page.htm";
    request.content = contentOf({"wide.jpg", "notes.txt", "tall.BMP", "broken.jpg", "a & b.gif", "image.png"}, "3");
    request.thumbnails = true;
    request.thumbWidth = "50 px";
    int calls = 0;
    const HtmlPageResult result = HtmlPageWriter(request).write([&calls](int done, int total) {
        ++calls;
        return done <= total;
    });
    QCOMPARE(result.status, HtmlPageResult::Written);
    QCOMPARE(result.thumbnailCount, 3);
    QCOMPARE(calls, 4);   // one per picture tried, the broken one included

    const QString thumbDir = dir.filePath("My page_thumbs");
    QCOMPARE(QDir(thumbDir).entryList(QDir::Files, QDir::Name),
             (QStringList{"a & b.gif.png", "tall.BMP.png", "wide.jpg.png"}));
    QCOMPARE(QImageReader(thumbDir + "/wide.jpg.png").size(), QSize(50, 25));
    QCOMPARE(QImageReader(thumbDir + "/tall.BMP.png").size(), QSize(50, 100));

    const QStringList lines = QString::fromUtf8(readAll(result.pagePath)).split("\r\n");
    const QUrl page = QUrl::fromLocalFile(result.pagePath);
    static const QRegularExpression img("<img src=\"([^\"]*)\" width=\"(\\d+)\" height=\"(\\d+)\"");
    QStringList withImage;
    for (const QString &line : lines) {
        if (!line.startsWith("<td>"))
            continue;
        const auto m = img.match(line);
        const QString name = QUrl::fromPercentEncoding(linkOf(line).first.toUtf8());
        if (!m.hasMatch())
            continue;
        withImage << name;
        // The image sits inside the link, above the name, and is the file's thumbnail.
        QVERIFY2(line.contains("\"><br>" + name.toHtmlEscaped() + "</a></p>"), qPrintable(line));
        const QString src = page.resolved(QUrl(m.captured(1), QUrl::StrictMode)).toLocalFile();
        QCOMPARE(src, thumbDir + "/" + name + ".png");
        QCOMPARE(QImageReader(src).size(), QSize(m.captured(2).toInt(), m.captured(3).toInt()));
    }
    QCOMPARE(withImage, (QStringList{"wide.jpg", "tall.BMP", "a & b.gif"}));
    QCOMPARE(rowSizes(lines), (QList<int>{3, 3}));

    // Without names a cell holds the image alone.
    request.content.showNames = false;
    QCOMPARE(HtmlPageWriter(request).write().status, HtmlPageResult::Written);
    const QString page2 = QString::fromUtf8(readAll(result.pagePath));
    QVERIFY(page2.contains(QRegularExpression(
        "<a href=\"wide.jpg\"><img src=\"My%20page_thumbs/wide.jpg.png\" width=\"50\" height=\"25\" alt=\"wide.jpg\" border=\"0\"></a></p>")));
    QVERIFY(page2.contains("<a href=\"notes.txt\"></a></p>"));

    // Width: no number keeps the usual size, absurd widths are bounded.
    QCOMPARE(thumbnailWidth("abc"), 100);
    QCOMPARE(thumbnailWidth("0"), 100);
    QCOMPARE(thumbnailWidth("3"), 8);
    QCOMPARE(thumbnailWidth("120.7"), 120);
    QCOMPARE(thumbnailWidth("900000"), 2000);
}

void TestHtmlPageWriter::refusedNamesAndFoldersLeaveNothingBehind()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeBytes(dir.filePath("plain-file"), "x");
    QVERIFY(QDir(dir.path()).mkdir("taken.htm"));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    struct Case { QString folder; QString name; QString says; };
    const QList<Case> cases = {
        {dir.path(), "", "file name"},
        {dir.path(), "   ", "file name"},
        {dir.path(), "sub/page.htm", "\"/\""},
        {dir.path(), "..", "cannot be used"},
        {dir.path(), QString(300, 'n') + ".htm", "Cannot write"},
        {dir.path(), "taken.htm", "folder"},
        {dir.filePath("no such folder"), "page.htm", "Cannot write the page"},
        {dir.filePath("plain-file"), "page.htm", "Cannot write the page"},
    };
    for (const bool thumbnails : {false, true}) {
        for (const Case &c : cases) {
            HtmlPageRequest request;
            request.folder = c.folder;
            request.fileName = c.name;
            request.content = contentOf({"a.jpg"});
            request.thumbnails = thumbnails;
            const HtmlPageResult result = HtmlPageWriter(request).write();
            QCOMPARE(result.status, HtmlPageResult::Failed);
            QVERIFY2(result.message.contains(c.says), qPrintable(c.name + ": " + result.message));
        }
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QVERIFY(QDir(dir.filePath("taken.htm")).isEmpty());
}

void TestHtmlPageWriter::failedOrCancelledThumbnailRunKeepsTheOldPage()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QImage pic(80, 40, QImage::Format_RGB32);
    pic.fill(Qt::green);
    for (const char *name : {"1.jpg", "2.jpg", "3.jpg"})
        QVERIFY(pic.save(dir.filePath(name), "JPEG"));
    const QByteArray oldPage = "<html>the page from last time</html>";
    writeBytes(dir.filePath("Untitled.htm"), oldPage);

    HtmlPageRequest request;
    request.folder = dir.path();
    request.fileName = "Untitled.htm";
    request.content = contentOf({"1.jpg", "2.jpg", "3.jpg"});
    request.thumbnails = true;

    // Cancelled after the second thumbnail: no page change, no thumbnails.
    const HtmlPageResult cancelled = HtmlPageWriter(request).write([](int done, int) { return done < 2; });
    QCOMPARE(cancelled.status, HtmlPageResult::Cancelled);
    QCOMPARE(readAll(dir.filePath("Untitled.htm")), oldPage);
    QVERIFY(!QFileInfo::exists(dir.filePath("Untitled_thumbs")));

    // The thumbnail folder's name is taken by a file: a clear failure, and
    // the old page and that file stay as they were.
    writeBytes(dir.filePath("Untitled_thumbs"), "mine");
    const HtmlPageResult failed = HtmlPageWriter(request).write();
    QCOMPARE(failed.status, HtmlPageResult::Failed);
    QVERIFY2(failed.message.contains("thumbnail folder"), qPrintable(failed.message));
    QCOMPARE(readAll(dir.filePath("Untitled.htm")), oldPage);
    QCOMPARE(readAll(dir.filePath("Untitled_thumbs")), QByteArray("mine"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 5);

    // Thumbnails already in a folder of the user's are replaced, the folder kept.
    QVERIFY(QFile::remove(dir.filePath("Untitled_thumbs")));
    QVERIFY(QDir(dir.path()).mkdir("Untitled_thumbs"));
    writeBytes(dir.filePath("Untitled_thumbs/keep.txt"), "keep");
    const HtmlPageResult cancelledAgain = HtmlPageWriter(request).write([](int, int) { return false; });
    QCOMPARE(cancelledAgain.status, HtmlPageResult::Cancelled);
    QCOMPARE(QDir(dir.filePath("Untitled_thumbs")).entryList(QDir::Files), QStringList{"keep.txt"});
    QCOMPARE(HtmlPageWriter(request).write().status, HtmlPageResult::Written);
    QCOMPARE(QDir(dir.filePath("Untitled_thumbs")).entryList(QDir::Files).size(), 4);
}

QTEST_GUILESS_MAIN(TestHtmlPageWriter)
#include "tst_htmlpagewriter.moc"
