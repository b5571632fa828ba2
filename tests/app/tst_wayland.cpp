// On a Wayland compositor, in the program's own process: what Wayland
// refuses a program (placing its windows, keeping one on top) is not asked
// for and does not spoil the stored options. (The full-screen viewer there is
// photographed by tst_fullscreen.)
#include "Module1.h"
#include "SettingsStore.h"
#include "frmMain.h"

#include <QGuiApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestWayland : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void alwaysOnTopIsNotAsked();
    void mainWindowKeepsItsStoredPlace();

private:
    QTemporaryDir m_dir;
};

void TestWayland::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));   // run through tests/run-weston.sh
}

void TestWayland::alwaysOnTopIsNotAsked()
{
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(Module1::SetTopmost(&window, -1), 0);
    QVERIFY(!(window.windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(window.isVisible());
}

void TestWayland::mainWindowKeepsItsStoredPlace()
{
    const QString ini = m_dir.filePath("Glintwave.ini");
    {
        SettingsStore store(ini);
        store.SaveSetting("MainLeft", "1500");
        store.SaveSetting("MainTop", "900");
        store.SaveSetting("Path", m_dir.path());
        QVERIFY(store.sync());
    }
    {
        frmMain window(std::make_shared<SettingsStore>(ini));
        window.Form_Load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.close();   // unload writes every option
    }
    QSettings raw(ini, QSettings::IniFormat);
    QCOMPARE(raw.value("Settings/MainLeft").toString().toDouble(), 1500.0);
    QCOMPARE(raw.value("Settings/MainTop").toString().toDouble(), 900.0);
    QVERIFY(raw.value("Settings/MainWidth").toString().toDouble() > 0);   // the rest is written
}

QTEST_MAIN(TestWayland)
#include "tst_wayland.moc"
