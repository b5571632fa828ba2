// The picture commands on the view (zoom out, fit width), the session's
// waiting keys, and an effect's result for a picture no longer shown.
#include "effects/KeyCommand.h"
#include "effects/KeyDispatcher.h"
#include "effects/PictureCommands.h"
#include "effects/ViewerSession.h"

#include <QGuiApplication>
#include <QtTest>

namespace {
PictureView viewOf(int w, int h, QSize screen = {1920, 1080})
{
    PictureView v;
    v.image = QImage(w, h, QImage::Format_RGB32);
    v.image.fill(Qt::red);
    v.screen = v.window = screen;
    return v;
}

void press(KeyDispatcher &d, int16_t key, int16_t shift = 0) { d.Form_KeyDown(key, shift); }
} // namespace

class TestEffectsCommands : public QObject {
    Q_OBJECT
private slots:
    // Zooming out, centred; a shrink below one pixel keeps one pixel. (Zooming
    // in: through the viewer in tst_opening.)
    void zoomOutSizesAndCentring()
    {
        PictureView v = viewOf(400, 300);
        applyPictureCommand(v, decodeKey(189, 1)); // Shift+minus: by 3
        QCOMPARE(v.image.size(), QSize(133, 100));
        QCOMPARE(QPoint(v.left, v.top), QPoint(893, 490));
        v = viewOf(3, 3);
        applyPictureCommand(v, decodeKey(189, 4));
        QCOMPARE(v.image.size(), QSize(1, 1));
    }

    void zoomTooLargeLeavesPicture()
    {
        // 6000 x 4000 enlarged 6 times would be 864 megapixels: the message
        // is shown, the picture and its place stay, the pointer is back.
        PictureView v = viewOf(6000, 4000);
        v.left = 5;
        const qint64 key = v.image.cacheKey();
        KeyDispatcher d;
        QStringList messages;
        connect(&d, &KeyDispatcher::message, [&](const QString &m) { messages << m; });
        d.setView(v);
        press(d, 187, 4);
        QVERIFY(d.waitForIdle(10000));
        QCOMPARE(messages, QStringList{"Projected image is too large to fit into memory"});
        QCOMPARE(d.view().image.cacheKey(), key);
        QCOMPARE(d.view().left, 5);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // (Stretch: the batch mode's --screen in tst_effects_output.)
    void fitWidthAndEmptyPictures()
    {
        PictureView v = viewOf(2000, 1000, {1000, 800});
        applyPictureCommand(v, decodeKey(76, 0));
        QCOMPARE(v.image.size(), QSize(1000, 500));
        QCOMPARE(QPoint(v.left, v.top), QPoint(0, 150));
        QCOMPARE(v.image.format(), QImage::Format_RGB32); // what every effect expects
        // An empty picture or window: nothing happens, nothing breaks.
        PictureView empty;
        empty.window = {0, 0};
        for (int key : {76, 75, 83, 187, 56, 84, 90, 55})
            QVERIFY(applyPictureCommand(empty, decodeKey(int16_t(key), 0)).message.isEmpty());
        QVERIFY(empty.image.isNull());
    }

    void sessionQueuesKeysWhileBusy()
    {
        ViewerSession session(nullptr, nullptr);
        int changes = 0;
        connect(&session, &ViewerSession::pictureChanged, [&] { ++changes; });
        session.setLayout({1920, 1080}, {1920, 1080}, 0xFFFFFF, 40);
        session.setPicture(viewOf(3000, 2000).image);
        changes = 0;
        session.keyPressed(72, 0);   // flip, on the worker
        QVERIFY(session.busy());
        QVERIFY(QGuiApplication::overrideCursor());
        const int leftBefore = session.view().left;
        session.keyPressed(84, 0);   // waits: the flip is still running
        session.keyPressed(37, 0);   // so does a pan
        QCOMPARE(session.view().left, leftBefore);
        // Each waiting key runs after the one before, in order.
        QTRY_COMPARE_WITH_TIMEOUT(changes, 3, 20000);
        QVERIFY(session.waitForIdle(10000));
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(session.view().image.size(), QSize(2000, 3000)); // turned after the flip
        QCOMPARE(session.view().left, (1920 - 2000) / 2 + 1);     // centred by the turn, then panned
        // (Esc while keys wait: through the viewer in tst_opening.)
    }

    void dispatcherDropsResultForNewPicture()
    {
        KeyDispatcher d;
        d.setView(viewOf(3000, 2000));
        press(d, 84);
        PictureView next = viewOf(10, 20);
        d.setView(next); // the viewer showed another file meanwhile
        QVERIFY(d.waitForIdle(10000));
        QCOMPARE(d.view().image.size(), QSize(10, 20));
        // The same when the viewer only says so (it keeps the picture itself).
        int changes = 0;
        connect(&d, &KeyDispatcher::pictureChanged, [&] { ++changes; });
        d.setView(viewOf(3000, 2000));
        press(d, 84);
        d.pictureReplaced();
        QVERIFY(d.waitForIdle(10000));
        QCOMPARE(changes, 0);
        QCOMPARE(d.view().image.size(), QSize(3000, 2000));
    }
};

QTEST_MAIN(TestEffectsCommands)
#include "tst_effects_commands.moc"
