// Photos with nothing recorded, and files that are no photo: what the camera
// recorded is read back in tst_viewerplays' information panel.
#include "browser/PhotoFacts.h"

#include <QFile>
#include <QImage>
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
