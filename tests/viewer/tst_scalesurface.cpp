#include "PictureSurface.h"
#include "ScaleRule.h"
#include "VirtualKey.h"

#include <QKeyEvent>
#include <QtTest>

class TestScaleSurface : public QObject {
    Q_OBJECT
private slots:
    void scaleIt_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("big");
        QTest::addColumn<int>("small");
        QTest::addColumn<QSize>("expected");
        // Screen 1024 x 768 throughout.
        QTest::newRow("shrunk: 2000x1000") << QSize(2000, 1000) << 1 << 0 << QSize(1024, 512);
        QTest::newRow("enlarged: 320x200") << QSize(320, 200) << 0 << 1 << QSize(1024, 640);
        QTest::newRow("exactly screen-wide") << QSize(1024, 500) << 1 << 1 << QSize(1024, 500);
        QTest::newRow("larger, ScaleBig off") << QSize(2000, 1000) << 0 << 1 << QSize(2000, 1000);
        QTest::newRow("long strip 2000x100") << QSize(2000, 100) << 1 << 0 << QSize(1024, 51);
        QTest::newRow("taller than screen only") << QSize(500, 1536) << 1 << 0 << QSize(250, 768);
        QTest::newRow("smaller, ScaleSmall off") << QSize(320, 200) << 1 << 0 << QSize(320, 200);
        QTest::newRow("any non-zero value is set") << QSize(320, 200) << 0 << -1 << QSize(1024, 640);
        QTest::newRow("portrait enlarged by height") << QSize(300, 600) << 0 << 1 << QSize(384, 768);
    }

    void scaleIt()
    {
        QFETCH(QSize, picture);
        QFETCH(int, big);
        QFETCH(int, small);
        QFETCH(QSize, expected);
        QCOMPARE(ScaleRule::scaledSize(picture, QSize(1024, 768), int16_t(big), int16_t(small)), expected);
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

    void pixelsReadAndWriteAsBgr()
    {
        QImage image = Surface::EmptyPicture(QSize(4, 3), 0x00336699);
        QCOMPARE(image.pixel(0, 0), qRgb(0x99, 0x66, 0x33));
        QCOMPARE(Surface::GetPixel(image, 3, 2), 0x00336699);
        QCOMPARE(Surface::GetPixel(image, 4, 0), -1);
        QCOMPARE(Surface::GetPixel(image, 0, -1), -1);
        Surface::SetPixelV(image, 1, 1, 0x000000FF);   // red
        QCOMPARE(image.pixel(1, 1), qRgb(255, 0, 0));
        Surface::SetPixelV(image, 9, 9, 0);            // ignored, no crash
        QCOMPARE(Surface::toBgr(Surface::fromBgr(0x00ABCDEF)), 0x00ABCDEF);
    }

    void fillBoxDrawModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("expected");
        // Picture 0x00F0F00F, pen 0x00FF00FF.
        QTest::newRow("6 invert") << 6 << 0x000F0FF0;
        QTest::newRow("7 xor") << 7 << 0x000FF0F0;
        QTest::newRow("9 and") << 9 << 0x00F0000F;
        QTest::newRow("13 copy") << 13 << 0x00FF00FF;
        QTest::newRow("15 or") << 15 << 0x00FFF0FF;
    }

    void fillBoxDrawModes()
    {
        QFETCH(int, mode);
        QFETCH(int, expected);
        QImage image = Surface::EmptyPicture(QSize(5, 5), 0x00F0F00F);
        Surface::FillBox(image, QRect(1, 1, 3, 3), 0x00FF00FF, mode);
        QCOMPARE(Surface::GetPixel(image, 2, 2), expected);
        QCOMPARE(Surface::GetPixel(image, 0, 0), 0x00F0F00F);   // outside the box
        QCOMPARE(Surface::GetPixel(image, 4, 4), 0x00F0F00F);
        QCOMPARE(qAlpha(image.pixel(2, 2)), 255);
    }

    void paintPictureStretchesAndMirrors()
    {
        QImage source(2, 2, QImage::Format_RGB32);
        const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255), white = qRgb(255, 255, 255);
        source.setPixel(0, 0, red);
        source.setPixel(1, 0, green);
        source.setPixel(0, 1, blue);
        source.setPixel(1, 1, white);
        QImage big(4, 4, QImage::Format_RGB32);   // doubled: sharp 2 x 2 blocks
        Surface::PaintPicture(big, source, 0, 0, 4, 4);
        QVERIFY(big.pixel(1, 1) == red && big.pixel(2, 1) == green && big.pixel(3, 3) == white);
        QImage flipped(2, 2, QImage::Format_RGB32);   // from x = 2 running back by 2
        Surface::PaintPicture(flipped, source, 0, 0, 2, 2, 2, 0, -2, 2);
        QVERIFY(flipped.pixel(0, 0) == green && flipped.pixel(1, 0) == red && flipped.pixel(0, 1) == white);
        QImage upside(2, 2, QImage::Format_RGB32);
        Surface::PaintPicture(upside, source, 0, 0, 2, 2, 0, 2, 2, -2);
        QVERIFY(upside.pixel(0, 0) == blue && upside.pixel(1, 1) == green);
        QImage part(3, 3, QImage::Format_RGB32);   // a part of the source into a part of the destination
        part.fill(Qt::black);
        Surface::PaintPicture(part, source, 1, 1, 1, 1, 1, 1, 1, 1);
        QVERIFY(part.pixel(1, 1) == white && part.pixel(0, 0) == qRgb(0, 0, 0));
    }

    void keysBecomeVirtualKeyCodes_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("shift");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << 27 << 0;
        QTest::newRow("Shift+R") << int(Qt::Key_R) << int(Qt::ShiftModifier) << 82 << 1;
        QTest::newRow("Ctrl+Alt+G") << int(Qt::Key_G) << int(Qt::ControlModifier | Qt::AltModifier) << 71 << 6;
        QTest::newRow("plus is Shift+equals") << int(Qt::Key_Plus) << int(Qt::ShiftModifier) << 187 << 1;
        QTest::newRow("keypad plus") << int(Qt::Key_Plus) << int(Qt::KeypadModifier) << 107 << 0;
        QTest::newRow("F1") << int(Qt::Key_F1) << 0 << 112 << 0;
        QTest::newRow("Ctrl+Shift+U") << int(Qt::Key_U) << int(Qt::ControlModifier | Qt::ShiftModifier) << 85 << 3;
        QTest::newRow("keypad 7") << int(Qt::Key_7) << int(Qt::KeypadModifier) << 103 << 0;
        QTest::newRow("keypad Up is Up") << int(Qt::Key_Up) << int(Qt::KeypadModifier) << 38 << 0;
        QTest::newRow("Meta is no shift") << int(Qt::Key_Escape) << int(Qt::MetaModifier) << 27 << 0;
    }

    void keysBecomeVirtualKeyCodes()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, code);
        QFETCH(int, shift);
        int16_t k = -1, s = -1;
        const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
        QVERIFY(toVirtualKey(event, k, s));
        QCOMPARE(int(k), code);
        QCOMPARE(int(s), shift);
    }
};

QTEST_MAIN(TestScaleSurface)
#include "tst_scalesurface.moc"
