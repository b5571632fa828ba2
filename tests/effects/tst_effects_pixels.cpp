// The effects against a few hand-worked pixels and against the
// pixel-by-pixel reference on random pictures, including sizes large enough to be split
// over threads.
#include "effects/ColourEffects.h"
#include "effects/GeometricEffects.h"
#include "effects/NeighbourEffects.h"
#include "effects/NeighbourKernels.h"
#include "effects/PictureBuffers.h"
#include "ReferenceEffects.h"
#include "core/Rnd.h"

#include <QRandomGenerator>
#include <QtTest>

#include "TestPictures.h"

namespace {
QImage make(int w, int h, std::initializer_list<QRgb> pixels)
{
    QImage img(w, h, QImage::Format_RGB32);
    auto it = pixels.begin();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, *it++ | 0xff000000u);
    return img;
}

QImage uniform(int w, int h, QRgb c) { return testpictures::solid(w, h, QColor(c)); }

// Random pictures from a small palette so that both sides of a threshold occur.
QImage randomPicture(QRandomGenerator &rng, int w, int h)
{
    static const QRgb palette[] = {0x000000, 0xffffff, 0x7d7d7d, 0xff0000, 0x00ff00, 0x0000ff,
                                   0x101010, 0x202830, 0xfefefe, 0x80ff7f};
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = 0xff000000u | (rng.bounded(3) ? palette[rng.bounded(10)] : rng.generate());
    }
    return img;
}

QString firstDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return QStringLiteral("size %1x%2 vs %3x%4").arg(a.width()).arg(a.height()).arg(b.width()).arg(b.height());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xffffff) != (b.pixel(x, y) & 0xffffff))
                return QStringLiteral("pixel (%1,%2): %3 vs %4").arg(x).arg(y)
                    .arg(a.pixel(x, y) & 0xffffff, 6, 16, QChar('0')).arg(b.pixel(x, y) & 0xffffff, 6, 16, QChar('0'));
    return {};
}

#define COMPARE_IMAGES(actual, expected) QCOMPARE(firstDifference(actual, expected), QString())

QRgb px(const QImage &img, int x, int y) { return img.pixel(x, y) & 0xffffff; }
} // namespace

class TestEffectsPixels : public QObject {
    Q_OBJECT
private slots:
    void handWorkedPixels()
    {
        // A few results worked out by hand, so that the reference itself is held to the rules.
        const QImage img = make(3, 1, {0xffffff, 0x000000, 0x19c8ff});  // (25,200,255) in the third
        QCOMPARE(px(brightness(img, 1, 0), 2, 0), 0x00afe6u);           // 25-25, 200-25, 255-25
        QCOMPARE(px(brightness(img, 1, 7), 2, 0), 0x000037u);           // Shift+Ctrl+Alt: by 200
        const QImage t = make(2, 1, {0x64c832, 0xc80000});              // (100,200,50) (200,0,0)
        QCOMPARE(px(tint(t, 155, 0, 0, TintMerge), 1, 0), 0xdb0000u);   // 200 | 155 = 219
        QCOMPARE(px(tint(t, 0, 0, 0, TintInvert), 0, 0), 0x9b37cdu);
        COMPARE_IMAGES(rotateimage(make(3, 2, {1, 2, 3, 4, 5, 6}), 0), make(2, 3, {4, 1, 5, 2, 6, 3}));
        // Edge and emboss: one white column, then black; the first block
        // straddles the boundary.
        QImage col = uniform(6, 4, 0x000000);
        for (int y = 0; y < 4; ++y)
            col.setPixel(0, y, 0xffffffffu);
        QCOMPARE(px(edge(col, 40), 0, 1), 0xffffffu);
        QCOMPARE(px(emboss(col, 40), 0, 0), 0xffffffu);
        QCOMPARE(px(emboss(col, 40), 0, 1), 0x7d7d7du);
        // The last column of an odd width compares with the invalid colour
        // (255, 255, -1): grey (100,100,100) is 155+155+101 = 411 away.
        QCOMPARE(px(edge(uniform(3, 3, 0x646464), 410), 2, 0), 0u);
        QCOMPARE(px(edge(uniform(3, 3, 0x646464), 411), 2, 0), 0xffffffu);
    }

    void waveShiftsWholeColumns()
    {
        // Column x moves by round(sin x): 0, 1, 1, 0, -1 for x = 0..4.
        QImage img(5, 6, QImage::Format_RGB32);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 5; ++x)
                img.setPixel(x, y, qRgb(x, y, 0));
        const QImage out = waveimage(img, 1, 1, 0xff0000); // blue in 0x00BBGGRR
        const int shifts[] = {0, 1, 1, 0, -1};
        for (int x = 0; x < 5; ++x)
            for (int t = 0; t < 6; ++t) {
                const int y = t - shifts[x];
                QCOMPARE(px(out, x, t), y >= 0 && y < 6 ? qRgb(x, y, 0) & 0xffffffu : 0x0000ffu);
            }
        COMPARE_IMAGES(waveimage(img, 4, 0, 0), img); // no wavelength: unchanged, no division by zero
        // A long gentle wave whose offset passes slowly through one half: the
        // columns around x = 10472 (sin = 0.5) round row by row, halves to even.
        QRandomGenerator rng(8);
        const QImage wide = randomPicture(rng, 12000, 4);
        COMPARE_IMAGES(waveimage(wide, 1, 20000, 0x123456), ref::toImage(ref::wave(ref::fromImage(wide), 1, 20000, 0x123456)));
    }

    void recycledBuffersAreNeverShared()
    {
        releasePictureBuffers();
        QImage a = newPicture(1500, 1000); // large enough to come from the pool
        QVERIFY(!a.isNull());
        a.fill(0xff112233u);
        QImage b = a;             // shares a's buffer
        a = QImage();             // b still holds it
        QImage c = newPicture(1500, 1000);
        QVERIFY(c.constBits() != b.constBits());
        c.fill(0xff445566u);
        QCOMPARE(b.pixel(10, 10), 0xff112233u);
        const uchar *old = b.constBits();
        b = QImage();             // now it is free and comes back
        QImage d = newPicture(1400, 1000);
        QCOMPARE(d.constBits(), old);
        QImage e = d;
        e.setPixel(0, 0, 0xff000000u); // writing a copy detaches it, as with any picture
        QVERIFY(e.constBits() != d.constBits());
        releasePictureBuffers();
    }

    void matchReferenceOnRandomPictures_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::newRow("1x1") << 1 << 1;
        QTest::newRow("1x9") << 1 << 9;
        QTest::newRow("odd 7x5") << 7 << 5;
        QTest::newRow("even 64x32") << 64 << 32;
        QTest::newRow("tiles 130x67") << 130 << 67;
        QTest::newRow("threads 701x399") << 701 << 399; // big enough to be split over threads
    }
    void matchReferenceOnRandomPictures()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        QRandomGenerator rng(uint(w * 1000 + h));
        const QImage img = randomPicture(rng, w, h);
        const ref::Surface s = ref::fromImage(img);

        for (int mode : {0, 1, 2})
            for (int intensity : {0, 1, 2, 4, 7})
                COMPARE_IMAGES(brightness(img, mode, intensity), ref::toImage(ref::brightness(s, mode, intensity)));
        const int tints[][4] = {{255, 0, 0, 9}, {0, 255, 255, 9}, {0, 255, 0, 7}, {0, 0, 155, 15}, {0, 0, 0, 6}, {1, 2, 3, 99}};
        for (const auto &t : tints)
            COMPARE_IMAGES(tint(img, t[0], t[1], t[2], t[3]), ref::toImage(ref::tint(s, t[0], t[1], t[2], t[3])));
        COMPARE_IMAGES(flipLeftRight(img), img.mirrored(true, false));   // Qt's own mirror is the reference
        COMPARE_IMAGES(flipTopBottom(img), img.mirrored(false, true));
        for (int shift : {0, 1, 2})
            COMPARE_IMAGES(rotateimage(img, shift), ref::toImage(ref::rotate(s, shift)));
        const int waves[][2] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}, {1, 4}, {4, 4}, {-3, 7}, {25, 3}, {1000, 13}};
        for (const auto &wv : waves)
            COMPARE_IMAGES(waveimage(img, wv[0], wv[1], 0x0080ff), ref::toImage(ref::wave(s, wv[0], wv[1], 0x0080ff)));
        for (int t : {-5, -1, 0, 1, 40, 150, 255, 256, 411, 765, 766}) {
            COMPARE_IMAGES(edge(img, t), ref::toImage(ref::edge(s, t)));
            COMPARE_IMAGES(emboss(img, t), ref::toImage(ref::emboss(s, t)));
        }
        for (uint seed : {1u, 77u}) {
            Randomize(seed);
            Rnd();
            const QImage fast = addnoise(img);
            const double after = Rnd();
            Randomize(seed);
            Rnd();
            COMPARE_IMAGES(fast, ref::toImage(ref::noise(s)));
            QCOMPARE(Rnd(), after); // the same count of numbers was drawn
        }
    }
    // The widest vector loops run wherever the processor has them; here the
    // narrower ones and the plain loops they stand in for must give the same
    // pictures as well.
    void neighbourEffectsMatchWithNarrowerLoops()
    {
        QRandomGenerator rng(4242);
        const QImage img = randomPicture(rng, 701, 399);
        const ref::Surface s = ref::fromImage(img);
        for (const auto width : {neighbourkernels::Width::Plain, neighbourkernels::Width::Avx2}) {
            neighbourkernels::setWidth(width);
            COMPARE_IMAGES(edge(img, 40), ref::toImage(ref::edge(s, 40)));
            COMPARE_IMAGES(emboss(img, 40), ref::toImage(ref::emboss(s, 40)));
            COMPARE_IMAGES(emboss(img, 0), ref::toImage(ref::emboss(s, 0)));
            for (uint seed : {9u, 31u}) {
                Randomize(seed);
                const QImage noise = addnoise(img);
                Randomize(seed);
                COMPARE_IMAGES(noise, ref::toImage(ref::noise(s)));
            }
        }
        neighbourkernels::setWidth(neighbourkernels::Width::Widest);
    }
};

QTEST_GUILESS_MAIN(TestEffectsPixels)
#include "tst_effects_pixels.moc"
