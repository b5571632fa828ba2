// On a Wayland compositor, in the program's own process: the viewer is in
// the full-screen state on its output with the picture centred, and what
// Wayland refuses a program (placing its windows, keeping one on top) is not
// asked for and does not spoil the stored options.
#include "AppState.h"
#include "Module1.h"
#include "OptionSet.h"
#include "PictureBox.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "frmMedia.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestWayland : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void viewerFillsTheOutput();
    void alwaysOnTopIsNotAsked();
    void mainWindowKeepsItsStoredPlace();

private:
    QTemporaryDir m_dir;
};

void TestWayland::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));   // run through tests/run-weston.sh
}

void TestWayland::viewerFillsTheOutput()
{
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::green);
    const QString path = m_dir.filePath("p.bmp");
    QVERIFY(picture.save(path));
    OptionSet options;
    AppState state;
    auto *viewer = new frmMedia(options, state);
    QVERIFY(viewer->showPicture(path));
    const QRect screen = viewer->screen()->geometry();
    QCOMPARE(screen.size(), QSize(1024, 768));
    QTRY_VERIFY(viewer->isFullScreen());
    QTRY_COMPARE(viewer->size(), screen.size());
    QCOMPARE(viewer->picMedia->geometry().center(), QRect(QPoint(0, 0), screen.size()).center());
    viewer->close();
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
