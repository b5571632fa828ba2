// The audio/video player over the real GStreamer backend, into its fake
// audio sink: every kind the viewer plays runs to its end.
#include "player/ui/MediaPlayerWidget.h"
#include "PlayerTestMedia.h"
#include "player/ui/VideoArea.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "TestFiles.h"

class TestMediaPlayer : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void playsToTheEnd_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("displaySize");
        for (const char *k : {"wav", "mp3", "au", "mid"})
            QTest::newRow(k) << QString::fromLatin1(k) << 0;
        // The sizes that resize the player once the clip's size is known were
        // the ones that showed a black area and never ended.
        QTest::newRow("mpg original") << "mpg" << 0;
        QTest::newRow("avi double") << "avi" << 2;
        QTest::newRow("asf 1/9 screen") << "asf" << 4;
    }
    void playsToTheEnd()
    {
        QFETCH(QString, kind);
        QFETCH(int, displaySize);
        const bool video = kind == "mpg" || kind == "avi" || kind == "asf";
        QString error;
        const QString clip = testmedia::makeClip(m_dir.path(), kind, &error);
        QVERIFY2(!clip.isEmpty(), qPrintable(error));
        MediaPlayerWidget player;
        player.setDisplaySize(displaySize);   // no picture: nothing to resize
        player.setAutoSize(true);
        player.show();
        QSignalSpy ended(&player, &MediaPlayerWidget::endOfStream);
        player.setFileName(clip);
        player.play();
        QVERIFY2(ended.wait(20000), qPrintable(player.errorText()));
        // The test clips' pictures are 160 x 120; audio has none.
        QCOMPARE(player.clipSize(), video ? QSize(160, 120) : QSize());
        QVERIFY(!ended.wait(300));   // once ended, nothing more is reported for the same clip
        if (video)
            QVERIFY(player.findChild<VideoArea *>()->framesPainted() >= 5);
    }

    void unplayableFile()
    {
        const QByteArray noise(20000, 'Z');   // no container, no stream
        const QString path = m_dir.filePath("broken.mp3");
        QVERIFY(testfiles::writeFile(path, noise));
        MediaPlayerWidget player;
        player.show();
        QSignalSpy failed(&player, &MediaPlayerWidget::errorOccurred);
        QSignalSpy ended(&player, &MediaPlayerWidget::endOfStream);
        player.setFileName(path);
        player.play();
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 20000);
        // The line names the file and is on the screen, not just reported.
        QVERIFY2(failed.at(0).at(0).toString().contains("broken.mp3"), qPrintable(player.errorText()));
        QTRY_VERIFY(player.findChild<QLabel *>(QString(), Qt::FindDirectChildrenOnly)->isVisible());
        QVERIFY(!ended.wait(300));   // nothing else follows the failure
    }

};

GW_PLAYER_TEST_MAIN(TestMediaPlayer)
#include "tst_mediaplayer.moc"
