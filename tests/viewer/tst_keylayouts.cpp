// The viewer's keys on other keyboard layouts: real key presses sent to the
// X server by key code (XTest) after setxkbmap, as a user's keyboard sends
// them, into the viewer window that has focus.
#include "TestMedia.h"
#include "XTestKeys.h"
#include "ViewerRig.h"
#include "viewer/ui/frmMedia.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
constexpr unsigned SpaceKeyCode = 65;

// Remembers the text of the last key press, to see which layout Qt is using.
struct LastText : QObject {
    QString text;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::KeyPress)
            text = static_cast<QKeyEvent *>(e)->text();
        return false;
    }
};
} // namespace

class TestKeyLayouts : public QObject, ViewerRig {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(xtestkeys::available(), "needs an X server with XTest (tests/run-xvfb.sh)");
    }
    void cleanupTestCase() { QProcess::execute("setxkbmap", {"us"}); }

    void keysFollowTheLayout_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("topRowOne");   // what the key left of 2 types unshifted
        QTest::addColumn<unsigned>("keyCode");    // X key code pressed
        QTest::addColumn<bool>("shifted");
        QTest::addColumn<int>("virtualKey");      // what the viewer must see
        // French: the digits' keys type symbols unshifted and still run the
        // digit's command; letters go by what the key bears.
        QTest::newRow("fr & is 1") << "fr" << "&" << 10u << false << int('1');
        QTest::newRow("fr shifted 7 is 7") << "fr" << "&" << 16u << true << int('7');
        QTest::newRow("fr A where US has Q") << "fr" << "&" << 24u << false << int('A');
        QTest::newRow("fr Z where US has W") << "fr" << "&" << 25u << false << int('Z');
        // German: Z and Y change places; Shift+7 types "/" and is still 7.
        QTest::newRow("de Z where US has Y") << "de" << "1" << 29u << false << int('Z');
        QTest::newRow("de shifted 7") << "de" << "1" << 16u << true << int('7');
        // Russian: no Latin letters, so letters go by where the key sits.
        // (The keys run their commands: only ones harmless on a text file.)
        QTest::newRow("ru N") << "ru" << "1" << 57u << false << int('N');
        QTest::newRow("ru shifted N") << "ru" << "1" << 57u << true << int('N');
        QTest::newRow("us 1") << "us" << "1" << 10u << false << int('1');
        // A key that types nothing of the table's is taken by its place (the
        // viewer turns files with the brackets); a key that does keeps its
        // meaning: the German + key zooms in.
        QTest::newRow("de Ü is [") << "de" << "1" << 34u << false << 219;
        QTest::newRow("de + zooms in") << "de" << "1" << 35u << false << 187;
        QTest::newRow("fr $ is ]") << "fr" << "&" << 35u << false << 221;
        QTest::newRow("us } is Shift+]") << "us" << "1" << 35u << true << 221;
    }
    void keysFollowTheLayout()
    {
        QFETCH(QString, layout);
        QFETCH(QString, topRowOne);
        QFETCH(unsigned, keyCode);
        QFETCH(bool, shifted);
        QFETCH(int, virtualKey);

        QVERIFY(testmedia::writeFile(m_dir.filePath("notes.txt"), "keys\n"));
        std::unique_ptr<frmMedia> v(new frmMedia(m_options, m_state));
        QSignalSpy shown(v.get(), &frmMedia::textShown);
        v->showText(m_dir.filePath("notes.txt"));
        QVERIFY(shown.wait(10000));
        v->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(v.get()));
        LastText last;
        qApp->installEventFilter(&last);
        QList<QPair<int, int>> keys;
        connect(v.get(), &frmMedia::keyDown, v.get(), [&](int16_t code, int16_t shift) {
            if (code != 16) // the Shift key itself
                keys << qMakePair(int(code), int(shift));
        });
        // Space is a sentinel: once it is in, every key pressed before it is too.
        const auto pressAndSettle = [&](unsigned code, bool shift) {
            xtestkeys::press(code, shift);
            xtestkeys::press(SpaceKeyCode, false);
            return QTest::qWaitFor([&] { return !keys.isEmpty() && keys.last() == qMakePair(32, 0); }, 10000);
        };

        QCOMPARE(QProcess::execute("setxkbmap", {layout}), 0);
        // Qt takes the new map when the server announces it: press the key
        // left of 2 until it types what this layout puts there.
        QTRY_VERIFY_WITH_TIMEOUT((xtestkeys::press(10, false), last.text == topRowOne), 10000);
        QVERIFY(pressAndSettle(SpaceKeyCode, false));
        keys.clear();
        QVERIFY(pressAndSettle(keyCode, shifted));
        QCOMPARE(keys, (QList<QPair<int, int>>{{virtualKey, shifted ? 1 : 0}, {32, 0}}));
    }
};

QTEST_MAIN(TestKeyLayouts)
#include "tst_keylayouts.moc"
