#include "web/PageLocation.h"
#include "web/WebEngineSetup.h"

#include <QtTest>

class TestPageBrowserLogic : public QObject
{
    Q_OBJECT
private slots:
    void captionsAndTypedTargets()
    {
        QTest::failOnWarning(QRegularExpression(".*"));   // a warning at every page is noise
        const QUrl file = QUrl::fromLocalFile("/home/u/pages/index.htm");
        QCOMPARE(locationName("Holiday 2026", file), QString("Holiday 2026"));
        // No title: the web view's stand-ins all give the address.
        for (const char *standIn : {"", "index.htm", "file:///home/u/pages/index.htm"})
            QCOMPARE(locationName(standIn, file), QString("/home/u/pages/index.htm"));
        // The view escapes "#" in its stand-in but leaves blanks alone.
        QCOMPARE(locationName("untitled %231.htm", QUrl::fromLocalFile("/p/untitled #1.htm")),
                 QString("/p/untitled #1.htm"));
        QCOMPARE(locationName("example.com", QUrl("https://example.com/")), QString("https://example.com/"));

        // Typed targets: characters that mean something in an address stay part of the file name.
        const QString odd = "/tmp/a dir/100% #1 ?.htm";
        QCOMPARE(browseTargetUrl(odd).toLocalFile(), odd);
        QVERIFY(browseTargetUrl("  /tmp/p.htm ").isLocalFile());
        QCOMPARE(browseTargetUrl("   "), QUrl("about:blank"));
    }

    void webEngineFlagsOnlyWhereNeeded()
    {
        WebEngineHost user;   // an ordinary user on a desktop with a GPU
        user.platform = "xcb";
        QVERIFY(webEngineEnvironment(user).isEmpty());

        WebEngineHost root = user;
        root.root = true;
        QCOMPARE(webEngineEnvironment(root), (QHash<QByteArray, QByteArray>{{"QTWEBENGINE_DISABLE_SANDBOX", "1"}}));
        root.sandboxSetting = "0";   // a root user's own choice is kept
        QVERIFY(webEngineEnvironment(root).isEmpty());

        WebEngineHost noGpu = user;
        noGpu.hasGpu = false;
        QCOMPARE(webEngineEnvironment(noGpu).value("QTWEBENGINE_CHROMIUM_FLAGS"), QByteArray("--disable-gpu"));

        WebEngineHost offscreen = user;   // no screen to draw on: the same
        offscreen.platform = "offscreen";
        offscreen.chromiumFlags = "--lang=de ";   // the user's own flags are kept
        QCOMPARE(webEngineEnvironment(offscreen).value("QTWEBENGINE_CHROMIUM_FLAGS"), QByteArray("--lang=de --disable-gpu"));
    }
};

QTEST_GUILESS_MAIN(TestPageBrowserLogic)
#include "tst_pagebrowserlogic.moc"
