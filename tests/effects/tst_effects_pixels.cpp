// The effects against hand-worked pixels and against the pixel-by-pixel
// reference on random pictures, including sizes large enough to be split
// over threads.
#include "ColourEffects.h"
#include "GeometricEffects.h"
#include "NeighbourEffects.h"
#include "NeighbourKernels.h"
#include "PictureBuffers.h"
#include "ReferenceEffects.h"
#include "Rnd.h"

#include <QRandomGenerator>
#include <QtTest>

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

QImage uniform(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c | 0xff000000u);
    return img;
}

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
    void brightnessClampsAndRestores();
    void tintOperations();
    void flipsAndTurns();
    void rotationIsExactAndOtherShiftsLeaveThePicture();
    void waveShiftsWholeColumns();
    void edgeAndEmbossOnBlocks();
    void edgeReadsOutsideAsInvalidColour();
    void thresholdExtremes();
    void noiseMovesDownOnlyAndRepeatsUnderSeed();
    void recycledBuffersAreNeverShared();
    void matchReferenceOnRandomPictures_data();
    void matchReferenceOnRandomPictures();
    void neighbourEffectsMatchWithoutVectorLoops();
};

void TestEffectsPixels::brightnessClampsAndRestores()
{
    const QImage img = make(3, 1, {0xffffff, 0x000000, 0x19c8ff}); // (25,200,255) in the third
    QCOMPARE(px(brightness(img, 0, 0), 0, 0), 0xffffffu);           // white stays white
    QCOMPARE(px(brightness(img, 1, 0), 1, 0), 0x000000u);           // black stays black
    const QImage dark = brightness(img, 1, 0);
    QCOMPARE(px(dark, 2, 0), 0x00afe6u);                            // 25-25, 200-25, 255-25
    QCOMPARE(px(brightness(dark, 0, 0), 2, 0), 0x19c8ffu);          // channels in 25..255 come back
    QCOMPARE(px(brightness(img, 1, 7), 2, 0), 0x000037u);           // Shift+Ctrl+Alt: by 200
    QCOMPARE(px(brightness(img, 1, 3), 2, 0), 0x00649bu);           // Ctrl+Shift: by 100
    QCOMPARE(px(brightness(img, 0, 4), 1, 0), 0x7d7d7du);           // Alt lightens by 125
    QCOMPARE(px(brightness(img, 2, 0), 1, 0), 0x191919u);           // any mode but 1 lightens
}

void TestEffectsPixels::tintOperations()
{
    const QImage img = make(3, 1, {0x64c832, 0xc80000, 0xff10ff}); // (100,200,50) (200,0,0) (255,16,255)
    const QImage raised = tint(img, 155, 0, 0, TintMerge);
    QCOMPARE(px(raised, 0, 0), 0xffc832u); // 100 | 155 = 255
    QCOMPARE(px(raised, 1, 0), 0xdb0000u); // 200 | 155 = 219
    QCOMPARE(px(raised, 2, 0), 0xff10ffu);
    QCOMPARE(px(tint(img, 0, 255, 255, TintMask), 0, 0), 0x00c832u);      // remove red
    QCOMPARE(px(tint(img, 0, 0, 255, TintMask), 0, 0), 0x000032u);        // keep blue
    QCOMPARE(px(tint(img, 0, 255, 0, TintXor), 2, 0), 0xffefffu);         // XOR green
    QCOMPARE(px(tint(img, 0, 0, 0, TintInvert), 0, 0), 0x9b37cdu);
    COMPARE_IMAGES(tint(tint(img, 255, 0, 0, TintXor), 255, 0, 0, TintXor), img);
    COMPARE_IMAGES(tint(tint(img, 0, 0, 0, TintInvert), 0, 0, 0, TintInvert), img);
    COMPARE_IMAGES(tint(tint(img, 255, 0, 0, TintMask), 0, 255, 255, TintMask), uniform(3, 1, 0));
    COMPARE_IMAGES(tint(img, 1, 2, 3, 99), img); // an unknown operation changes nothing
}

void TestEffectsPixels::flipsAndTurns()
{
    const QImage img = make(3, 2, {1, 2, 3, 4, 5, 6});
    COMPARE_IMAGES(flipLeftRight(img), make(3, 2, {3, 2, 1, 6, 5, 4}));
    COMPARE_IMAGES(flipTopBottom(img), make(3, 2, {4, 5, 6, 1, 2, 3}));
    COMPARE_IMAGES(flipLeftRight(flipLeftRight(img)), img);
    COMPARE_IMAGES(flipTopBottom(flipLeftRight(img)), rotateimage(img, 1));
    COMPARE_IMAGES(rotateimage(img, 0), make(2, 3, {4, 1, 5, 2, 6, 3}));
    COMPARE_IMAGES(rotateimage(img, 2), make(2, 3, {3, 6, 2, 5, 1, 4}));
    COMPARE_IMAGES(rotateimage(img, 1), make(3, 2, {6, 5, 4, 3, 2, 1}));
    QCOMPARE(rotateimage(uniform(300, 200, 7), 0).size(), QSize(200, 300));
    QCOMPARE(rotateimage(uniform(300, 200, 7), 1).size(), QSize(300, 200));
}

void TestEffectsPixels::rotationIsExactAndOtherShiftsLeaveThePicture()
{
    QRandomGenerator rng(5);
    const QImage img = randomPicture(rng, 129, 70); // crosses tile borders
    COMPARE_IMAGES(rotateimage(rotateimage(img, 0), 2), img);
    COMPARE_IMAGES(rotateimage(rotateimage(rotateimage(rotateimage(img, 0), 0), 0), 0), img);
    COMPARE_IMAGES(rotateimage(rotateimage(img, 0), 0), rotateimage(img, 1));
    // Alt+T and other states: nothing happens (no blank picture).
    for (int shift : {3, 4, 5, 7, -1})
        COMPARE_IMAGES(rotateimage(img, shift), img);
}

void TestEffectsPixels::waveShiftsWholeColumns()
{
    // Column x moves by round(sin x): 0, 1, 1, 0, -1 for x = 0..4.
    const int h = 6;
    QImage img(5, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 5; ++x)
            img.setPixel(x, y, qRgb(x, y, 0));
    const int32_t bg = 0xff0000; // blue in 0x00BBGGRR
    const QImage out = waveimage(img, 1, 1, bg);
    const int shifts[] = {0, 1, 1, 0, -1};
    for (int x = 0; x < 5; ++x)
        for (int t = 0; t < h; ++t) {
            const int y = t - shifts[x];
            const QRgb expected = y >= 0 && y < h ? qRgb(x, y, 0) & 0xffffff : 0x0000ffu;
            QCOMPARE(px(out, x, t), expected);
        }
    // Amplitude 4, wavelength 4: column 6 moves by 4 (4 sin 1.5 = 3.99), column 0 stays.
    QImage tall(7, 10, QImage::Format_RGB32);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 7; ++x)
            tall.setPixel(x, y, qRgb(x, y, 9));
    const QImage w4 = waveimage(tall, 4, 4, 0);
    QCOMPARE(px(w4, 6, 4), qRgb(6, 0, 9) & 0xffffffu);
    QCOMPARE(px(w4, 6, 3), 0u);
    QCOMPARE(px(w4, 0, 0), qRgb(0, 0, 9) & 0xffffffu);
    COMPARE_IMAGES(waveimage(tall, 4, 0, 0), tall); // no wavelength: unchanged, no division by zero
    // A long gentle wave whose offset passes slowly through one half: the
    // columns around x = 10472 (sin = 0.5) round row by row, halves to even.
    QRandomGenerator rng(8);
    const QImage wide = randomPicture(rng, 12000, 4);
    COMPARE_IMAGES(waveimage(wide, 1, 20000, 0x123456), ref::toImage(ref::wave(ref::fromImage(wide), 1, 20000, 0x123456)));
}

void TestEffectsPixels::edgeAndEmbossOnBlocks()
{
    // One white column, then black: the first block straddles the boundary.
    QImage img = uniform(6, 4, 0x000000);
    for (int y = 0; y < 4; ++y)
        img.setPixel(0, y, 0xffffffffu);
    const QImage e = edge(img, 40);
    const QImage m = emboss(img, 40);
    for (int y = 0; y < 4; y += 2) {
        QCOMPARE(px(e, 0, y), 0u);        // upper row: right neighbour across the boundary
        QCOMPARE(px(e, 1, y), 0u);
        QCOMPARE(px(e, 0, y + 1), 0xffffffu); // lower row: the pixel below is the same
        QCOMPARE(px(e, 2, y), 0xffffffu);
        QCOMPARE(px(m, 0, y), 0xffffffu); // the neighbour is darker: light relief
        QCOMPARE(px(m, 0, y + 1), 0x7d7d7du);
        QCOMPARE(px(m, 4, y), 0x7d7d7du);
    }
    // The reverse boundary gives dark relief.
    QCOMPARE(px(emboss(tint(img, 0, 0, 0, TintInvert), 40), 0, 0), 0u);
}

void TestEffectsPixels::edgeReadsOutsideAsInvalidColour()
{
    // An odd width and height: the last column and row compare with the
    // invalid colour (red 255, green 255, blue -1).
    const QImage grey = uniform(3, 3, 0x646464); // (100,100,100): distance 155+155+101 = 411
    QImage e = edge(grey, 410);
    QCOMPARE(px(e, 2, 0), 0u);         // 411 > 410
    QCOMPARE(px(e, 0, 0), 0xffffffu);
    QCOMPARE(px(e, 0, 2), 0xffffffu);  // bottom block row: its upper row compares to the right
    QCOMPARE(px(e, 2, 2), 0u);
    e = edge(grey, 411);
    QCOMPARE(px(e, 2, 0), 0xffffffu);  // not above 411
    // Below the last row of an odd height: the lower row of the block does not exist,
    // but the block's upper row of a 3x3 picture at y = 2 still answers to the right.
    const QImage white = uniform(3, 3, 0xffffff); // distance to invalid: 0 + 0 + 256
    QCOMPARE(px(edge(white, 255), 2, 0), 0u);
    QCOMPARE(px(edge(white, 256), 2, 0), 0xffffffu);
    // Emboss sign: invalid minus white sums to -256: darker, so white.
    QCOMPARE(px(emboss(white, 40), 2, 0), 0xffffffu);
    // Blue 0 against -1 gives -1 but red and green 0 against 255 give +510: black.
    QCOMPARE(px(emboss(uniform(3, 1, 0x000000), 40), 2, 0), 0u);
    // Uniform picture, even size: all white / grey.
    COMPARE_IMAGES(edge(uniform(4, 4, 0x336699), 0), uniform(4, 4, 0xffffff));
    COMPARE_IMAGES(emboss(uniform(4, 4, 0x336699), 0), uniform(4, 4, 0x7d7d7d));
}

void TestEffectsPixels::thresholdExtremes()
{
    QRandomGenerator rng(11);
    const QImage img = randomPicture(rng, 33, 17);
    // The largest possible difference (against the invalid colour) is 766.
    COMPARE_IMAGES(edge(img, 766), uniform(33, 17, 0xffffff));
    COMPARE_IMAGES(emboss(img, 32767), uniform(33, 17, 0x7d7d7d));
    // T = 0 marks every change of colour; a negative T marks even no change.
    const QImage two = make(2, 2, {0x000000, 0x000001, 0x000000, 0x000000});
    QCOMPARE(px(edge(two, 0), 0, 0), 0u);
    QCOMPARE(px(edge(two, 0), 0, 1), 0xffffffu);
    QCOMPARE(px(edge(two, -1), 0, 1), 0u);
}

void TestEffectsPixels::noiseMovesDownOnlyAndRepeatsUnderSeed()
{
    QRandomGenerator rng(3);
    const QImage img = randomPicture(rng, 40, 30);
    Randomize(42);
    const QImage a = addnoise(img);
    Randomize(42);
    const QImage b = addnoise(img);
    COMPARE_IMAGES(a, b);
    QCOMPARE(a.size(), img.size());
    int moved = 0, holes = 0;
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y) {
            const QRgb v = px(a, x, y);
            if (v == px(img, x, y))
                continue;
            if (y > 0 && v == px(img, x, y - 1)) {
                ++moved;
                continue;
            }
            QCOMPARE(v, 0u); // otherwise a black hole
            ++holes;
        }
    QVERIFY(moved > 50);
    QVERIFY(holes > 50);
    // The first column uses one number: it moves as a whole or not at all.
    Randomize(9);
    Rnd();
    const bool down = Rnd() >= 0.5;
    Randomize(9);
    Rnd();
    Rnd();
    const QImage c = addnoise(img);
    for (int y = 1; y < img.height(); ++y)
        QCOMPARE(px(c, 0, y), px(img, 0, down ? y - 1 : y));
}

void TestEffectsPixels::recycledBuffersAreNeverShared()
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
    QVERIFY(newPicture(0, 5).isNull());
    // Effects on pooled pictures give the same as on ordinary ones.
    QImage plain(1500, 1000, QImage::Format_RGB32);
    plain.fill(0xff808080u);
    plain.setPixel(700, 500, 0xffffffffu);
    QImage pooled = newPicture(1500, 1000);
    pooled.fill(0xff808080u);
    pooled.setPixel(700, 500, 0xffffffffu);
    QCOMPARE(edge(pooled, 40), edge(plain, 40));
    releasePictureBuffers();
}

void TestEffectsPixels::matchReferenceOnRandomPictures_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::newRow("1x1") << 1 << 1;
    QTest::newRow("1x9") << 1 << 9;
    QTest::newRow("8x1") << 8 << 1;
    QTest::newRow("odd 7x5") << 7 << 5;
    QTest::newRow("even 64x32") << 64 << 32;
    QTest::newRow("tiles 130x67") << 130 << 67;
    QTest::newRow("threads 701x399") << 701 << 399; // big enough to be split over threads
}

void TestEffectsPixels::matchReferenceOnRandomPictures()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QRandomGenerator rng(uint(w * 1000 + h));
    const QImage img = randomPicture(rng, w, h);
    const ref::Surface s = ref::fromImage(img);

    for (int mode : {0, 1})
        for (int intensity : {0, 1, 2, 4, 7})
            COMPARE_IMAGES(brightness(img, mode, intensity), ref::toImage(ref::brightness(s, mode, intensity)));
    const int tints[][4] = {{255, 0, 0, 9}, {0, 255, 255, 9}, {0, 255, 0, 7}, {0, 0, 155, 15}, {0, 0, 0, 6}};
    for (const auto &t : tints)
        COMPARE_IMAGES(tint(img, t[0], t[1], t[2], t[3]), ref::toImage(ref::tint(s, t[0], t[1], t[2], t[3])));
    COMPARE_IMAGES(flipLeftRight(img), ref::toImage(ref::flipLeftRight(s)));
    COMPARE_IMAGES(flipTopBottom(img), ref::toImage(ref::flipTopBottom(s)));
    for (int shift : {0, 1, 2})
        COMPARE_IMAGES(rotateimage(img, shift), ref::toImage(ref::rotate(s, shift)));
    const int waves[][2] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}, {1, 4}, {4, 4}, {-3, 7}, {25, 3}, {1000, 13}};
    for (const auto &wv : waves)
        COMPARE_IMAGES(waveimage(img, wv[0], wv[1], 0x0080ff), ref::toImage(ref::wave(s, wv[0], wv[1], 0x0080ff)));
    for (int t : {-5, 0, 1, 40, 150, 256, 411, 765, 766}) {
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
        const QImage slow = ref::toImage(ref::noise(s));
        COMPARE_IMAGES(fast, slow);
        QCOMPARE(Rnd(), after); // the same count of numbers was drawn
    }
}

// The vector loops run wherever the processor has them; here the plain loops
// they stand in for must give the same pictures as well.
void TestEffectsPixels::neighbourEffectsMatchWithoutVectorLoops()
{
    QRandomGenerator rng(4242);
    const QImage img = randomPicture(rng, 701, 399);
    const ref::Surface s = ref::fromImage(img);
    const QImage withVectors[] = {edge(img, 40), emboss(img, 40), emboss(img, 0)};
    Randomize(9);
    const QImage noiseWithVectors = addnoise(img);
    neighbourkernels::setEnabled(false);
    COMPARE_IMAGES(edge(img, 40), ref::toImage(ref::edge(s, 40)));
    COMPARE_IMAGES(emboss(img, 40), ref::toImage(ref::emboss(s, 40)));
    COMPARE_IMAGES(emboss(img, 0), ref::toImage(ref::emboss(s, 0)));
    COMPARE_IMAGES(edge(img, 40), withVectors[0]);
    COMPARE_IMAGES(emboss(img, 40), withVectors[1]);
    COMPARE_IMAGES(emboss(img, 0), withVectors[2]);
    Randomize(9);
    const QImage plainNoise = addnoise(img);
    neighbourkernels::setEnabled(true);
    COMPARE_IMAGES(plainNoise, noiseWithVectors);
    Randomize(9);
    COMPARE_IMAGES(plainNoise, ref::toImage(ref::noise(s)));
}

QTEST_GUILESS_MAIN(TestEffectsPixels)
#include "tst_effects_pixels.moc"
