#include "viewer/ScaleRule.h"
#include "viewer/VirtualKey.h"

#include <QKeyEvent>
#include <QtTest>

class TestScaleSurface : public QObject {
    Q_OBJECT
private slots:
    void scaleIt()
    {
        const auto scaled = [](QSize picture, int big, int small) {
            return ScaleRule::scaledSize(picture, QSize(1024, 768), int16_t(big), int16_t(small));
        };
        QCOMPARE(scaled(QSize(2000, 1000), 1, 0), QSize(1024, 512));    // shrunk
        QCOMPARE(scaled(QSize(2000, 1000), 0, 1), QSize(2000, 1000));   // larger, ScaleBig off
        QCOMPARE(scaled(QSize(500, 1536), 1, 0), QSize(250, 768));      // taller than the screen only
        QCOMPARE(scaled(QSize(320, 200), 1, 0), QSize(320, 200));       // smaller, ScaleSmall off
        QCOMPARE(scaled(QSize(320, 200), 0, -1), QSize(1024, 640));     // any non-zero value is set
        QCOMPARE(scaled(QSize(300, 600), 0, 1), QSize(384, 768));       // portrait enlarged by height
    }

    void resampleGivesExactSizeAndSmoothsWhenShrinking()
    {
        // One-pixel black and white stripes average to grey when halved.
        QImage stripes(200, 100, QImage::Format_RGB32);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x)
                stripes.setPixel(x, y, (x % 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        const QImage half = ScaleRule::resample(stripes, QSize(100, 51));
        QCOMPARE(half.size(), QSize(100, 51));
        const int grey = qGray(half.pixel(50, 25));
        QVERIFY2(grey > 90 && grey < 165, qPrintable(QString::number(grey)));
    }

    void keysBecomeVirtualKeyCodes()
    {
        struct Case {
            int key, modifiers, code, shift;
        };
        const QList<Case> cases{
            {Qt::Key_R, Qt::ShiftModifier, 82, 1},
            {Qt::Key_G, Qt::ControlModifier | Qt::AltModifier, 71, 6},
            {Qt::Key_Plus, Qt::ShiftModifier, 187, 1},   // plus is Shift+equals
            {Qt::Key_Plus, Qt::KeypadModifier, 107, 0},
            {Qt::Key_Up, Qt::KeypadModifier, 38, 0},     // keypad Up is Up
            {Qt::Key_Escape, Qt::MetaModifier, 27, 0},   // Meta is no shift
        };
        for (const Case &c : cases) {
            int16_t k = -1, s = -1;
            QVERIFY(toVirtualKey(QKeyEvent(QEvent::KeyPress, c.key, Qt::KeyboardModifiers(c.modifiers)), k, s));
            QCOMPARE(int(k), c.code);
            QCOMPARE(int(s), c.shift);
        }
    }
};

QTEST_MAIN(TestScaleSurface)
#include "tst_scalesurface.moc"
