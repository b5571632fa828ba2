// On a Wayland compositor, in the program's own process: keeping a window on
// top, which Wayland refuses a program, is not asked for. (The full-screen
// viewer there is photographed by tst_fullscreen.)
#include "core/ui/Module1.h"

#include <QGuiApplication>
#include <QtTest>

class TestWayland : public QObject {
    Q_OBJECT
private slots:
    void alwaysOnTopIsNotAsked()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));   // run through tests/run-weston.sh
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(Module1::SetTopmost(&window, -1), 0);
        QVERIFY(!(window.windowFlags() & Qt::WindowStaysOnTopHint));
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(TestWayland)
#include "tst_wayland.moc"
