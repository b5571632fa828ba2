// Camera RAW files: the preview the camera stored serves every size it
// covers (thumbnails), a quick look shows it at once, and the viewer then
// puts the developed picture in its place; the batch mode develops in full.
#include "core/AppState.h"
#include "core/OptionSet.h"
#include "effects/ViewerSession.h"
#include "viewer/PictureLoader.h"
#include "viewer/ui/PictureBox.h"
#include "viewer/ui/frmMedia.h"

#include "BatchRun.h"
#include "DngWriter.h"
#include "TestFiles.h"
#include "TestPictures.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
bool reddish(QRgb c) { return qRed(c) > 2 * qGreen(c) && qRed(c) > 2 * qBlue(c); }
bool bluish(QRgb c) { return qBlue(c) > 2 * qGreen(c) && qBlue(c) > 2 * qRed(c); }
bool green(QRgb c) { return testpictures::near(c, qRgb(0, 255, 0), 24); }
} // namespace

class TestRawPictures : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_dng;

private slots:
    void initTestCase()
    {
        // A green 64 x 48 preview; the sensor saw red on the left, blue on the right.
        QImage sensor(320, 240, QImage::Format_RGB32);
        sensor.fill(Qt::red);
        for (int y = 0; y < 240; ++y)
            for (int x = 160; x < 320; ++x)
                sensor.setPixel(x, y, qRgb(0, 0, 255));
        m_dng = m_dir.filePath("shot.dng");
        QVERIFY(testfiles::writeFile(m_dng, dngwriter::dng(testpictures::solid(64, 48, Qt::green), sensor)));
    }

    void thePreviewServesWhatItCoversAndTheSensorTheRest()
    {
        const LoadedPicture thumb = PictureLoader::loadThumbnail(m_dng, 40);
        QVERIFY2(thumb.ok(), qPrintable(thumb.error));
        QCOMPARE(thumb.sourceSize, QSize(320, 240));
        QVERIFY(green(thumb.image.pixel(20, 15)) && !thumb.preview);

        const LoadedPicture whole = PictureLoader::load(m_dng);
        QVERIFY2(whole.ok(), qPrintable(whole.error));
        QCOMPARE(whole.image.size(), QSize(320, 240));
        QVERIFY(reddish(whole.image.pixel(40, 120)) && bluish(whole.image.pixel(280, 120)) && !whole.preview);

        PictureLoader::LoadRequest quick;
        quick.quickPreview = true;
        const LoadedPicture look = PictureLoader::load(m_dng, quick);
        QVERIFY(look.ok() && look.preview);
        QCOMPARE(look.image.size(), QSize(320, 240));
        QVERIFY(green(look.image.pixel(40, 120)));

        const testbatch::BatchRun r = testbatch::batch({"--apply", "H", "--out", m_dir.path(), m_dng});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QImage flipped(r.out.trimmed());
        QCOMPARE(flipped.size(), QSize(320, 240));
        QVERIFY(bluish(flipped.pixel(40, 120)) && reddish(flipped.pixel(280, 120)));
    }

    // A preview without its compression tag is taken for a planar one,
    // which libraw unpacked past its buffer: now the sensor data serves.
    void aPreviewOfAnOddLayoutIsNotUnpacked()
    {
        QByteArray bytes = dngwriter::dng(testpictures::solid(80, 60, Qt::green), testpictures::solid(64, 48, Qt::red));
        const int compression = bytes.indexOf(QByteArray("\x03\x01\x03\x00\x01\x00\x00\x00", 8));
        QVERIFY(compression > 8 && compression < 400);
        bytes[compression + 1] = 0;   // tag 259 becomes tag 3, which nothing reads
        const QString odd = m_dir.filePath("odd.dng");
        QVERIFY(testfiles::writeFile(odd, bytes));
        const LoadedPicture thumb = PictureLoader::loadThumbnail(odd, 40);
        QVERIFY2(thumb.ok(), qPrintable(thumb.error));
        QVERIFY(reddish(thumb.image.pixel(20, 15)));
    }

    // Sensor data cut short is a damaged file, not a disk error.
    void aFileCutShortIsCalledDamaged()
    {
        const QString cut = m_dir.filePath("cut.dng");
        QVERIFY(testfiles::writeFile(cut, testfiles::readAll(m_dng).chopped(100000)));
        const LoadedPicture whole = PictureLoader::load(cut);
        QVERIFY(!whole.ok());
        QVERIFY2(whole.error.startsWith("damaged picture"), qPrintable(whole.error));
    }

    void theViewerShowsThePreviewThenTheDevelopedPicture()
    {
        OptionSet options;
        options.ScaleBig = options.ScaleSmall = false;   // at its own size: more than the preview holds
        AppState state;
        frmMedia viewer(options, state);
        QList<QRgb> shown;
        connect(viewer.session(), &ViewerSession::pictureChanged, this, [&] {
            const QImage &p = viewer.picMedia->picture();
            if (!p.isNull())
                shown << p.pixel(p.width() / 8, p.height() / 2);
        });
        viewer.showPicture(m_dng);
        QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty() && reddish(shown.last()), 20000);
        QVERIFY2(green(shown.first()), "the preview came first");
        QCOMPARE(viewer.picMedia->picture().size(), QSize(320, 240));

    }
};

QTEST_MAIN(TestRawPictures)
#include "tst_rawpictures.moc"
