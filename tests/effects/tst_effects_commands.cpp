// The picture commands on the view (zoom, fit,
// stretch, alignment, panning), the key handler with the list, player and
// outputs it is given, the session's waiting keys, and the pop-up menu.
#include "effects/ui/EffectsMenu.h"
#include "effects/KeyCommand.h"
#include "effects/KeyDispatcher.h"
#include "effects/PictureCommands.h"
#include "effects/ViewerList.h"
#include "effects/ViewerOutputs.h"
#include "effects/ViewerPlayer.h"
#include "effects/ViewerSession.h"
#include "effects/ui/PictureOutput.h"
#include "effects/ZoomView.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
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

// A list of four entries that records what it was asked to show.
struct FourEntries : ViewerList {
    int current = 3;
    QList<int> shown;
    int currentEntry() const override { return current; }
    int entryCount() const override { return 4; }
    void selectEntry(int number) override { current = number; }
    void showEntry() override { shown << current; }
    QString saveFolder() const override { return {}; }
};

struct Player : ViewerPlayer {
    bool visible = false, paused = false;
    double at = 4;
    QStringList calls;
    bool playerShown() const override { return visible; }
    void togglePaused() override { calls << ((paused = !paused) ? "pause" : "play"); }
    double position() const override { return at; }
    void setPosition(double seconds) override { at = seconds; }
};

struct Clipboard : ViewerOutputs {
    void copyPicture(const QImage &picture) override { copyToClipboard(picture); }
    OutputJob preparePrint(const QImage &, int16_t, QString *) override { return {}; }
    OutputJob prepareWallpaper(const QImage &, QString *) override { return {}; }
};
} // namespace

class TestEffectsCommands : public QObject {
    Q_OBJECT
private slots:
    void panStepsAndDirections()
    {
        const int steps[][2] = {{0, 1}, {1, 10}, {2, 50}, {4, 300}, {3, 1}};
        for (const auto &s : steps) {
            PictureView v = viewOf(10, 10);
            v.left = 100;
            v.top = 200;
            for (int key : {38, 40, 37, 39})
                applyPictureCommand(v, decodeKey(int16_t(key), int16_t(s[0])));
            QCOMPARE(v.left, 100);
            QCOMPARE(v.top, 200);
            applyPictureCommand(v, decodeKey(38, int16_t(s[0]))); // Up moves the picture down
            QCOMPARE(v.top, 200 + s[1]);
            applyPictureCommand(v, decodeKey(39, int16_t(s[0]))); // Right moves it left
            QCOMPARE(v.left, 100 - s[1]);
        }
    }

    void zoomSizesAndCentring()
    {
        PictureView v = viewOf(400, 300);
        applyPictureCommand(v, decodeKey(187, 0));
        QCOMPARE(v.image.size(), QSize(800, 600));
        QCOMPARE(QPoint(v.left, v.top), QPoint(560, 240));
        v = viewOf(400, 300);
        applyPictureCommand(v, decodeKey(189, 1)); // Shift+minus: by 3
        QCOMPARE(v.image.size(), QSize(133, 100));
        QCOMPARE(QPoint(v.left, v.top), QPoint(893, 490));
        // Larger than the screen: negative place, middle at the middle.
        v = viewOf(2001, 1081);
        centrepic(v);
        QCOMPARE(QPoint(v.left, v.top), QPoint(-41, -1));
        // A shrink below one pixel keeps one pixel.
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

    void pixeliseMakesBlocks()
    {
        PictureView v = viewOf(10, 9);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 10; ++x)
                v.image.setPixel(x, y, qRgb(x, y, 0));
        applyPictureCommand(v, decodeKey(56, 0)); // by 4
        QCOMPARE(v.image.size(), QSize(8, 8));    // 10 / 4 * 4, 9 / 4 * 4
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                QCOMPARE(v.image.pixel(x, y), qRgb(x / 4 * 4, y / 4 * 4, 0));
        QCOMPARE(QPoint(v.left, v.top), QPoint(956, 536));
    }

    void fitStretchAndAlignment()
    {
        PictureView v = viewOf(2000, 1000, {1000, 800});
        applyPictureCommand(v, decodeKey(76, 0));
        QCOMPARE(v.image.size(), QSize(1000, 500));
        QCOMPARE(QPoint(v.left, v.top), QPoint(0, 150));
        applyPictureCommand(v, decodeKey(75, 0));
        QCOMPARE(v.image.size(), QSize(1600, 800));
        QCOMPARE(QPoint(v.left, v.top), QPoint(-300, 0));
        // Stretch fills the window exactly at (0, 0), proportions not kept.
        v = viewOf(37, 91, {640, 480});
        v.left = 3;
        applyPictureCommand(v, decodeKey(83, 0));
        QCOMPARE(v.image.size(), QSize(640, 480));
        QCOMPARE(QPoint(v.left, v.top), QPoint(0, 0));
        QCOMPARE(v.image.format(), QImage::Format_RGB32); // what every effect expects
        // End on a picture taller than the window: negative top; Home: 0.
        v = viewOf(100, 900, {640, 480});
        applyPictureCommand(v, decodeKey(35, 0));
        QCOMPARE(v.top, -420);
        applyPictureCommand(v, decodeKey(36, 0));
        QCOMPARE(v.top, 0);
        // An empty picture or window: nothing happens, nothing breaks.
        PictureView empty;
        empty.window = {0, 0};
        for (int key : {76, 75, 83, 187, 56, 84, 90, 55})
            QVERIFY(applyPictureCommand(empty, decodeKey(int16_t(key), 0)).message.isEmpty());
        QVERIFY(empty.image.isNull());
    }

    // No selection: Space starts at the first, Backspace does nothing. (The
    // ends of the list: through the viewer in tst_opening.)
    void dispatcherStartsAtTheFirstWithoutASelection()
    {
        KeyDispatcher d;
        FourEntries list;
        list.current = 0;
        d.setList(&list);
        press(d, 8);
        press(d, 32);
        QCOMPARE(list.shown, QList<int>{1});
    }

    void dispatcherPlayerKeys()
    {
        KeyDispatcher d;
        Player player;
        d.setPlayer(&player);
        press(d, 80);
        QVERIFY(player.calls.isEmpty()); // hidden player: P does nothing
        player.visible = true;
        press(d, 80);
        press(d, 80);
        QCOMPARE(player.calls, (QStringList{"pause", "play"}));
        press(d, 188, 2); // Ctrl+comma at 4: not below 0
        QCOMPARE(player.at, 0.0);
        press(d, 190, 4);
        QCOMPARE(player.at, 30.0);
    }

    void dispatcherCopyOnlyWithCtrl()
    {
        KeyDispatcher d;
        PictureView v = viewOf(5, 4);
        v.image.setPixel(1, 1, qRgb(1, 2, 3));
        d.setView(v);
        Clipboard clipboard;
        d.setOutputs(&clipboard);
        QGuiApplication::clipboard()->clear();
        press(d, 67, 0);
        QVERIFY(QGuiApplication::clipboard()->image().isNull());
        press(d, 67, 2);
        QCOMPARE(QGuiApplication::clipboard()->image().pixel(1, 1), qRgb(1, 2, 3));
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

    // Choosing Close through a dispatcher closes like Esc. (What every other
    // item sends: tst_effects_table.)
    void menuCloseClosesLikeEsc()
    {
        KeyDispatcher d;
        bool closed = false;
        connect(&d, &KeyDispatcher::closeRequested, [&] { closed = true; });
        std::unique_ptr<QMenu> wired(buildEffectsMenu(nullptr, [&](int16_t k, int16_t s) { d.Form_KeyDown(k, s); }));
        wired->findChild<QAction *>("mnuClose")->trigger();
        QVERIFY(closed);
    }
};

QTEST_MAIN(TestEffectsCommands)
#include "tst_effects_commands.moc"
