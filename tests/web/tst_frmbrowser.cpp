#include "web/HtmlPageWriter.h"
#include "web/ui/PageBrowser.h"
#include "core/ProgramFolder.h"
#include "web/WebEngineSetup.h"
#include "web/ui/frmBrowser.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include "TestPictures.h"

#include "TestFiles.h"

namespace {
constexpr int LoadTimeout = 30000;

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

    void helpPageIsFoundBesideTheProgram()
    {
        // The build copies the help page beside the executables.
        QCOMPARE(helpPagePath(), QCoreApplication::applicationDirPath() + "/Readme.htm");
        frmBrowser *w = showHelpPage();
        QTRY_COMPARE_WITH_TIMEOUT(w->windowTitle(), QString("Glintwave Help"), LoadTimeout);
    }

    void galleryPageWorksInTheBrowser()
    {
        QImage pic = testpictures::solid(200, 100, Qt::darkGreen);
        QVERIFY(pic.save(dir.filePath("Grüße.jpg"), "JPEG"));
        QVERIFY(pic.save(dir.filePath("a&b #1.jpg"), "JPEG"));
        QVERIFY(testfiles::writeFile(dir.filePath("<b>.txt"), ""));

        HtmlPageRequest request;
        request.folder = dir.path();
        request.fileName = "gallery.htm";
        request.content = {"Our <i>trip</i>", "2", {"Grüße.jpg", "a&b #1.jpg", "<b>.txt"}, true, "0.1.0", {}};
        request.thumbnails = true;
        request.thumbWidth = "50";
        QCOMPARE(HtmlPageWriter(request).write().status, HtmlPageResult::Written);

        frmBrowser *w = showPageBrowser(dir.filePath("gallery.htm"));
        QCOMPARE(w->windowTitle(), QString("Reading page..."));
        QTRY_VERIFY_WITH_TIMEOUT(!w->timTimer->isActive(), LoadTimeout);   // stops once loaded
        QCOMPARE(w->windowTitle(), QString("Our <i>trip</i>"));
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
