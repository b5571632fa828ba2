// Local pages in the page browser that try to read the user's files and send
// them to a listener on this machine, and one that loops on alert().
#include "web/WebEngineSetup.h"
#include "web/ui/PageBrowser.h"
#include "web/ui/frmBrowser.h"

#include <QApplication>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

#include "TestPictures.h"

#include "TestFiles.h"

namespace {
constexpr int LoadTimeout = 30000;

using testfiles::readAll;
using testfiles::writeFile;
} // namespace

class TestHostilePages : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void cleanup()
    {
        if (frmBrowser *w = pageBrowserWindow())
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void aDownloadedPageReadsNothingAndSendsNothing()
    {
        // Everything that reaches the listener, whatever the way.
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        QByteArray heard;
        int connections = 0;
        connect(&listener, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket *s = listener.nextPendingConnection()) {
                ++connections;
                connect(s, &QTcpSocket::readyRead, this, [&, s] { heard += s->readAll(); });
            }
        });

        QVERIFY(writeFile(home.filePath("secret.txt"), "TOP-SECRET-20261207"));
        QImage red = testpictures::solid(8, 8, Qt::red);
        QVERIFY(red.save(home.filePath("secret.png")));
        const QString downloads = home.filePath("Downloads");
        QVERIFY(QDir().mkpath(downloads));
        QImage own = testpictures::solid(16, 4, Qt::blue);
        QVERIFY(own.save(downloads + "/own.png"));
        QByteArray page = readAll(GW_TEST_SOURCE_DIR "/hostile/thief.html");
        QVERIFY(!page.isEmpty());
        page.replace("\"SECRET\"", "\"" + QUrl::fromLocalFile(home.filePath("secret.txt")).toEncoded() + "\"");
        page.replace("PORT", QByteArray::number(listener.serverPort()));
        QVERIFY(writeFile(downloads + "/thief.html", page));

        frmBrowser *w = showPageBrowser(downloads + "/thief.html");
        QTRY_VERIFY_WITH_TIMEOUT(w->brwWebBrowser->title().startsWith("done:"), LoadTimeout);
        const QJsonObject got = QJsonDocument::fromJson(w->brwWebBrowser->title().mid(5).toUtf8()).object();
        for (const char *way : {"fetch", "xhr", "iframe"})
            QVERIFY2(!got.value(way).toString().contains("TOP-SECRET"), way);
        QCOMPARE(got.value("canvas").toString(), QString());   // the picture never loaded
        QCOMPARE(got.value("own").toInt(), 16);                // its own folder still does

        // The page tried a picture, a WebSocket, a fetch, a beacon and at last
        // a navigation: none of them may arrive (the wait ends at the first).
        QVERIFY(!QTest::qWaitFor([&] { return connections > 0 || !heard.isEmpty(); }, 2000));
        QCOMPARE(connections, 0);
        QCOMPARE(heard, QByteArray());
        QCOMPARE(w->brwWebBrowser->url(), QUrl::fromLocalFile(downloads + "/thief.html"));
    }

    void theUserStillFollowsLinksToTheWeb()
    {
        // A click on a link in a local page goes where it leads.
        QTcpServer web;
        QVERIFY(web.listen(QHostAddress::LocalHost));
        QByteArray asked;
        connect(&web, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket *s = web.nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, this, [&, s] { asked += s->readAll(); });
        });
        QByteArray page = readAll(GW_TEST_SOURCE_DIR "/hostile/links.html");
        page.replace("PORT", QByteArray::number(web.serverPort()));
        QVERIFY(writeFile(home.filePath("links.html"), page));
        frmBrowser *w = showPageBrowser(home.filePath("links.html"));
        QTRY_COMPARE_WITH_TIMEOUT(w->brwWebBrowser->title(), QString("links"), LoadTimeout);
        QWidget *input = w->brwWebBrowser->focusProxy();
        QVERIFY(input);
        QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(100, 50));
        QTRY_VERIFY_WITH_TIMEOUT(asked.startsWith("GET /clicked"), LoadTimeout);
    }

    void aPageThatLoopsOnAlertClosesWithItsWindow()
    {
        const QString path = home.filePath("alerts.html");
        QVERIFY(QFile::copy(GW_TEST_SOURCE_DIR "/hostile/alerts.html", path));
        QPointer<frmBrowser> w = showPageBrowser(path);
        QTRY_VERIFY_WITH_TIMEOUT(w->lblScriptMessage->isVisible(), LoadTimeout);
        QCOMPARE(w->lblScriptMessage->text(), QString("You cannot leave"));
        QVERIFY(w->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTRY_VERIFY(w.isNull());
    }
};

int main(int argc, char **argv)
{
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestHostilePages test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostilepages.moc"
