#include "viewer/WmfRender.h"
#include "TestMedia.h"
#include "WmfWriter.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

using testmedia::near;

constexpr quint32 Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000;

// A 1000 x 1000 unit drawing: filled shapes, a wide line and a bitmap.
WmfWriter drawing()
{
    WmfWriter w;
    w.setWindow(0, 0, 1000, 1000);
    w.select(w.pen(5, 0, 0));
    w.select(w.brush(0, 0x80FFFF));   // a pale yellow ground, unlike the canvas's own white
    w.rectangle(0, 0, 1000, 1000);
    w.select(w.brush(0, Red));
    w.polygon({{100, 100}, {400, 100}, {100, 400}});
    w.select(w.brush(0, Blue));
    w.ellipse(500, 100, 900, 400);
    w.select(w.pen(0, 40, Green));
    w.moveTo(100, 600);
    w.lineTo(500, 600);
    QImage quad(2, 2, QImage::Format_RGB32);
    quad.setPixel(0, 0, qRgb(255, 0, 0));
    quad.setPixel(1, 0, qRgb(0, 255, 0));
    quad.setPixel(0, 1, qRgb(0, 0, 255));
    quad.setPixel(1, 1, qRgb(255, 255, 0));
    w.bitmap(quad, 600, 600, 300, 300);
    return w;
}

} // namespace

class TestWmf : public QObject {
    Q_OBJECT
private slots:
    void drawsShapesLinesAndBitmaps()
    {
        QString error;
        const QImage image = WmfRender::render(drawing().data(false), [](const QSize &) { return QSize(200, 200); }, &error);
        QVERIFY2(!image.isNull(), qPrintable(error));

        // Each record at its place (1000 units -> 200 pixels).
        QVERIFY(near(image.pixel(190, 190), qRgb(255, 255, 128)));  // the ground rectangle
        QVERIFY(near(image.pixel(30, 30), qRgb(255, 0, 0)));        // polygon inside
        QVERIFY(near(image.pixel(140, 50), qRgb(0, 0, 255)));       // ellipse centre, filled
        QVERIFY(near(image.pixel(60, 117), qRgb(0, 255, 0)));       // line 40 units wide = 8 px
        // The bitmap upright: red at its top left, blue below.
        QVERIFY(near(image.pixel(135, 135), qRgb(255, 0, 0)));
        QVERIFY(near(image.pixel(135, 165), qRgb(0, 0, 255)));
    }

    void damagedFilesFailCleanly()
    {
        const QByteArray good = drawing().data(false);
        struct Case {
            const char *what;
            QByteArray bytes;
        };
        WmfWriter lying;   // a polygon claiming 30000 points in a 3-word record
        lying.setWindow(0, 0, 100, 100);
        lying.raw(0x0324, {30000, 1, 2});
        const QList<Case> cases = {
            {"cut short in the records", good.left(good.size() / 2)},
            {"record larger than the file", lying.data(false)},
        };
        for (const Case &c : cases) {
            QString error;
            const QImage image = WmfRender::render(c.bytes, {}, &error);
            QVERIFY2(image.isNull(), c.what);
            QVERIFY2(!error.isEmpty(), c.what);
        }
    }

    void hugePenWidthIsBoundedInTime()
    {
        WmfWriter w;
        w.setWindow(0, 0, 32000, 32000);
        w.select(w.pen(0, 32767, Red));
        std::vector<std::pair<int, int>> zigzag;
        for (int i = 0; i < 2000; ++i)
            zigzag.push_back({(i * 16) % 32000, (i % 2) ? 32000 : 0});
        for (int n = 0; n < 50; ++n) {
            w.moveTo(0, 0);
            for (int i = 0; i < 200; ++i)
                w.lineTo((i * 160) % 32000, (i % 2) ? 32000 : 0);
            w.polygon(zigzag);
        }
        const QByteArray file = w.data(true, 0, 0, 32000, 32000, 1440);
        QElapsedTimer timer;
        timer.start();
        QString error;
        WmfRender::render(file, {}, &error);
        QVERIFY2(timer.elapsed() < 3000 + qint64(WmfRender::TimeLimitSeconds * 1000),
                 qPrintable(QString::number(timer.elapsed())));
    }
};

QTEST_MAIN(TestWmf)
#include "tst_wmf.moc"
