// Turning JPEG files on disk: the same as jpegtran's lossless turn, the
// camera's orientation applied and reset, the rest of the metadata kept,
// and a size that would lose its edge refused.
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
    void turnsAsJpegtranDoes_data()
    {
        QTest::addColumn<int>("turn");
        QTest::addColumn<QStringList>("jpegtranWay");
        QTest::newRow("right") << int(losslessturn::Turn::Right) << QStringList{"-rotate", "90"};
        QTest::newRow("left") << int(losslessturn::Turn::Left) << QStringList{"-rotate", "270"};
        QTest::newRow("flip") << int(losslessturn::Turn::FlipVertical) << QStringList{"-flip", "vertical"};
    }
    void turnsAsJpegtranDoes()
    {
        QFETCH(int, turn);
        QFETCH(QStringList, jpegtranWay);
        const QString path = jpeg("plain.jpg", QSize(64, 48));
        const QByteArray expected = jpegtran(path, jpegtranWay);
        QVERIFY(!expected.isEmpty());
        const losslessturn::Outcome out = losslessturn::turnJpegFile(path, losslessturn::Turn(turn));
        QVERIFY2(out.ok, qPrintable(out.error));
        const QByteArray turned = readAll(path);
        QCOMPARE(decoded(turned), decoded(expected));   // not one pixel re-encoded
        QCOMPARE(turned, expected);   // byte for byte
    }

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

    void aSizeThatWouldLoseItsEdgeIsRefused()
    {
        const QString path = jpeg("odd.jpg", QSize(50, 30));
        const QByteArray before = readAll(path);
        const losslessturn::Outcome out = losslessturn::turnJpegFile(path, losslessturn::Turn::Right);
        QVERIFY(!out.ok);
        QCOMPARE(out.error, QString("\"odd.jpg\" cannot be turned without losing its edge: its width or height "
                                    "is not a multiple of the JPEG block size"));
        QCOMPARE(readAll(path), before);
    }
};

QTEST_GUILESS_MAIN(TestLosslessTurn)
#include "tst_losslessturn.moc"
