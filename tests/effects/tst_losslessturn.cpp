// Turning a camera's JPEG on disk: its orientation applied and reset, the
// rest of the metadata kept. (The plain turns, byte for byte as jpegtran's,
// and the refusals are checked through the viewer's keys in
// tst_viewerfileops.)
#include "effects/LosslessTurn.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "TestFiles.h"

namespace {
using testfiles::readAll;
QString run(const QString &program, const QStringList &args, QByteArray *out = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString::fromLocal8Bit(p.readAllStandardError());
    if (out)
        *out = p.readAllStandardOutput();
    return {};
}
QImage decoded(const QByteArray &jpeg)
{
    QImage image;
    image.loadFromData(jpeg, "JPG");   // as stored: Qt's own reader ignores no orientation here
    return image.convertToFormat(QImage::Format_RGB32);
}
} // namespace

class TestLosslessTurn : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString jpeg(const QString &name, QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, qRgb(x * 4 % 256, y * 5 % 256, (x ^ y) % 256));
        return image.save(dir.filePath(name), "JPG", 85) ? dir.filePath(name) : QString();
    }
    // jpegtran's lossless turn of the same file.
    QByteArray jpegtran(const QString &path, const QStringList &how)
    {
        QByteArray out;
        const QString problem = run("jpegtran", how + QStringList{"-perfect", "-copy", "all", path}, &out);
        return problem.isEmpty() ? out : QByteArray();
    }

private slots:
    void theCamerasOrientationIsAppliedAndReset()
    {
        // Stored sideways with "turn right to show" (6) and a camera name;
        // the user turns it right once more: upside down on disk, upright tag.
        const QString path = jpeg("camera.jpg", QSize(64, 48));
        const QString plainCopy = dir.filePath("copy.jpg");
        QVERIFY(QFile::copy(path, plainCopy));
        QCOMPARE(run("exiftool", {"-q", "-overwrite_original", "-Orientation#=6", "-Make=Glintwave Test", path}), QString());
        const losslessturn::Outcome out = losslessturn::turnJpegFile(path, losslessturn::Turn::Right);
        QVERIFY2(out.ok, qPrintable(out.error));
        const QByteArray turned = readAll(path);
        QCOMPARE(losslessturn::exifOrientation(turned), 1);
        QCOMPARE(decoded(turned), decoded(jpegtran(plainCopy, {"-rotate", "180"})));
        QByteArray tags;
        QCOMPARE(run("exiftool", {"-s3", "-Make", "-Orientation#", path}, &tags), QString());
        QCOMPARE(tags, QByteArray("Glintwave Test\n1\n"));
    }
};

QTEST_GUILESS_MAIN(TestLosslessTurn)
#include "tst_losslessturn.moc"
