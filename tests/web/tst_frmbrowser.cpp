#include "HtmlPageWriter.h"
#include "PageBrowser.h"
#include "ProgramFolder.h"
#include "WebEngineSetup.h"
#include "frmBrowser.h"

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

namespace {
constexpr int LoadTimeout = 30000;

void writeText(const QString &path, const QByteArray &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// Runs a script in the shown page and waits for its value.
QVariant evaluate(QWebEngineView *view, const QString &script)
{
    QVariant value;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant &v) {
        value = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, LoadTimeout))
        return QStringLiteral("(no answer from the page)");
    return value;
}

frmBrowser *openPage(const QString &target)
{
    return showPageBrowser(target);
}

// Closes the open browser and lets it be deleted.
void closeBrowser()
{
    if (frmBrowser *w = pageBrowserWindow())
        w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
}

class TestFrmBrowser : public QObject
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(dir.isValid()); }
    void cleanup() { closeBrowser(); }

    void captionStates()
    {
        const QString titled = dir.filePath("titled.htm");
        writeText(titled, "<html><head><title>Holiday &amp; Co</title></head><body>Hi</body></html>");
        frmBrowser *w = openPage(titled);
        QCOMPARE(w->windowTitle(), QString("Reading page..."));
        QTRY_VERIFY_WITH_TIMEOUT(!w->timTimer->isActive(), LoadTimeout);   // stops once loaded
        QCOMPARE(w->windowTitle(), QString("Holiday & Co"));
        QCOMPARE(w->brwWebBrowser->url(), QUrl::fromLocalFile(titled));
        closeBrowser();

        // No title, no file, no target: the address, in a window that stays open.
        const QString untitled = dir.filePath("untitled #1.htm");
        writeText(untitled, "<html><body><p>No title here</p></body></html>");
        const QString missing = dir.filePath("nowhere/Readme.htm");
        for (const QString &target : {untitled, missing, QString()}) {
            w = openPage(target);
            QTRY_VERIFY_WITH_TIMEOUT(!w->timTimer->isActive(), LoadTimeout);
            QCOMPARE(w->windowTitle(), target.isEmpty() ? QString("about:blank") : target);
            QVERIFY(w->isVisible());
            closeBrowser();
        }
    }

    void helpPageIsFoundBesideTheProgram()
    {
        // The build copies the help page beside the executables.
        QCOMPARE(helpPagePath(), QCoreApplication::applicationDirPath() + "/Readme.htm");
        frmBrowser *w = showHelpPage();
        QTRY_COMPARE_WITH_TIMEOUT(w->windowTitle(), QString("Glintwave Help"), LoadTimeout);
        // Self-contained: nothing is fetched from elsewhere.
        const QString external = evaluate(w->brwWebBrowser,
            "Array.from(document.querySelectorAll('[src],link[href]'))"
            ".map(e => e.src || e.href).filter(u => !u.startsWith('file:') && !u.startsWith('data:')).join(' ')")
                                     .toString();
        QCOMPARE(external, QString());
        // Every in-page link leads to a section that exists.
        const QString broken = evaluate(w->brwWebBrowser,
            "Array.from(document.querySelectorAll('a[href^=\"#\"]'))"
            ".filter(a => !document.getElementById(a.getAttribute('href').slice(1)))"
            ".map(a => a.getAttribute('href')).join(' ')")
                                   .toString();
        QCOMPARE(broken, QString());
    }

    void galleryPageWorksInTheBrowser()
    {
        QImage pic(200, 100, QImage::Format_RGB32);
        pic.fill(Qt::darkGreen);
        QVERIFY(pic.save(dir.filePath("Grüße.jpg"), "JPEG"));
        QVERIFY(pic.save(dir.filePath("a&b #1.jpg"), "JPEG"));
        writeText(dir.filePath("<b>.txt"), "text");

        HtmlPageRequest request;
        request.folder = dir.path();
        request.fileName = "gallery.htm";
        request.content.title = "Our <i>trip</i>";
        request.content.itemsPerRow = "2";
        request.content.names = {"Grüße.jpg", "a&b #1.jpg", "<b>.txt"};
        request.content.showNames = true;
        request.content.version = "0.1.0";
        request.thumbnails = true;
        request.thumbWidth = "50";
        QCOMPARE(HtmlPageWriter(request).write().status, HtmlPageResult::Written);

        frmBrowser *w = openPage(dir.filePath("gallery.htm"));
        QTRY_COMPARE_WITH_TIMEOUT(w->windowTitle(), QString("Our <i>trip</i>"), LoadTimeout);
        QWebEngineView *view = w->brwWebBrowser;
        // The names read as they are, each link leads to its file, and the
        // thumbnails load at their width.
        QCOMPARE(evaluate(view, "Array.from(document.links).map(a => a.textContent).join('|')").toString(),
                 QString("Grüße.jpg|a&b #1.jpg|<b>.txt"));
        const QStringList targets =
            evaluate(view, "Array.from(document.links).map(a => a.href).join('\\n')").toString().split('\n');
        QCOMPARE(targets.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(QUrl(targets.at(i)).toLocalFile(), dir.filePath(request.content.names.at(i)));
        QTRY_COMPARE_WITH_TIMEOUT(
            evaluate(view, "Array.from(document.images).map(i => i.complete ? i.naturalWidth : -1).join(',')").toString(),
            QString("50,50"), LoadTimeout);
        QCOMPARE(evaluate(view, "document.querySelectorAll('tr').length").toInt(), 2);
    }

private:
    QTemporaryDir dir;
};

int main(int argc, char **argv)
{
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestFrmBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frmbrowser.moc"
