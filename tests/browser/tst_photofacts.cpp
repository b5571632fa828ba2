// What the camera recorded, read back from files that exiftool wrote.
#include "browser/PhotoFacts.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestPhotoFacts : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString photo(const QString &name)
    {
        QImage image(32, 24, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
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
        QFile text(dir.filePath("notes.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a picture") > 0);
        text.close();
        QVERIFY(!readPhotoFacts(text.fileName()).error.isEmpty());
        // A JPEG whose EXIF block claims more than it holds.
        QFile broken(dir.filePath("broken.jpg"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray("\xFF\xD8\xFF\xE1\xFF\xF0" "Exif\0\0MM\0\x2A\xFF\xFF\xFF\xF0", 20) + QByteArray(64, '\xFF'));
        broken.close();
        readPhotoFacts(broken.fileName());   // told as an error or empty, never a crash
    }
};

QTEST_GUILESS_MAIN(TestPhotoFacts)
#include "tst_photofacts.moc"
