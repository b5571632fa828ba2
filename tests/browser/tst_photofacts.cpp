// What the camera recorded, read back from files that exiftool wrote.
#include "browser/PhotoFacts.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "TestPictures.h"

#include "TestFiles.h"

class TestPhotoFacts : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString photo(const QString &name)
    {
        QImage image = testpictures::solid(32, 24, Qt::darkCyan);
        return image.save(dir.filePath(name), "JPG") ? dir.filePath(name) : QString();
    }

private slots:
    void aPhotoWithEverything()
    {
        const QString path = photo("full.jpg");
        QProcess exiftool;
        exiftool.start("exiftool", {"-q", "-overwrite_original", "-DateTimeOriginal=2026:07:14 18:30:05",
                                    "-Make=Glintcam", "-Model=Glintcam Z7", "-LensModel=Wide 24-70mm",
                                    "-ExposureTime=1/250", "-FNumber=2.8", "-ISO=200", "-FocalLength=35",
                                    "-GPSLatitude=48.8584", "-GPSLatitudeRef=N", "-GPSLongitude=2.2945",
                                    "-GPSLongitudeRef=W", path});
        QVERIFY(exiftool.waitForFinished(60000) && exiftool.exitCode() == 0);
        const PhotoFacts f = readPhotoFacts(path);
        QVERIFY2(f.error.isEmpty(), qPrintable(f.error));
        QCOMPARE(f.taken, QDateTime(QDate(2026, 7, 14), QTime(18, 30, 5)));
        QCOMPARE(f.camera, QString("Glintcam Z7"));   // the make once, where the model repeats it
        QCOMPARE(f.lens, QString("Wide 24-70mm"));
        QCOMPARE(f.exposureTime, QString("1/250 s"));
        QCOMPARE(f.aperture, QString("f/2.8"));
        QCOMPARE(f.iso, QString("ISO 200"));
        QCOMPARE(f.focalLength, QString("35 mm"));
        QVERIFY(f.position);
        QVERIFY(qAbs(f.position->x() - 48.8584) < 1e-4 && qAbs(f.position->y() + 2.2945) < 1e-4);   // west
    }

    void nothingRecordedOrNoPicture()
    {
        const PhotoFacts plain = readPhotoFacts(photo("plain.jpg"));
        QVERIFY(plain.error.isEmpty() && !plain.taken.isValid() && plain.camera.isEmpty() && !plain.position);
        QVERIFY(testfiles::writeFile(dir.filePath("notes.txt"), "not a picture"));
        QVERIFY(!readPhotoFacts(dir.filePath("notes.txt")).error.isEmpty());
        // A JPEG whose EXIF block claims more than it holds.
        const QString broken = dir.filePath("broken.jpg");
        QVERIFY(testfiles::writeFile(broken, QByteArray("\xFF\xD8\xFF\xE1\xFF\xF0" "Exif\0\0MM\0\x2A\xFF\xFF\xFF\xF0", 20)
                                                 + QByteArray(64, '\xFF')));
        readPhotoFacts(broken);   // told as an error or empty, never a crash
    }
};

QTEST_GUILESS_MAIN(TestPhotoFacts)
#include "tst_photofacts.moc"
