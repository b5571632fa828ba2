// Pictures that carry a colour profile: the profile found in the file as
// each format keeps it, and the pixels converted to sRGB as littlecms's own
// transicc converts them (within 2 levels).
#include "viewer/EmbeddedProfile.h"
#include "viewer/SrgbConverter.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "TestPictures.h"

#include "TestFiles.h"

#include <lcms2.h>

namespace {
// An RGB profile with the given primaries (x, y of red, green, blue), D50
// white and the given gamma, named name.
QByteArray rgbProfile(const char *name, const cmsCIExyYTRIPLE &primaries, double gamma)
{
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 5000);
    cmsToneCurve *curve = cmsBuildGamma(nullptr, gamma);
    cmsToneCurve *curves[3] = {curve, curve, curve};
    cmsHPROFILE p = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsMLU *description = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(description, "en", "US", name);
    cmsWriteTag(p, cmsSigProfileDescriptionTag, description);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    QByteArray bytes(qsizetype(size), '\0');
    cmsSaveProfileToMem(p, bytes.data(), &size);
    cmsMLUfree(description);
    cmsFreeToneCurve(curve);
    cmsCloseProfile(p);
    return bytes;
}
const cmsCIExyYTRIPLE ProPhoto = {{0.7347, 0.2653, 1}, {0.1596, 0.8404, 1}, {0.0366, 0.0001, 1}};
const cmsCIExyYTRIPLE SwappedRedGreen = {{0.30, 0.60, 1}, {0.64, 0.33, 1}, {0.15, 0.06, 1}};

} // namespace

class TestColourProfiles : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    // What transicc makes of one colour through profile.
    QColor transicc(const QString &profile, QColor c)
    {
        QProcess p;
        p.start("transicc", {"-i", profile, "-o", "*sRGB", "-t", "0"});
        p.write(QStringLiteral("%1 %2 %3\n").arg(c.red()).arg(c.green()).arg(c.blue()).toLatin1());
        p.closeWriteChannel();
        if (!p.waitForFinished(30000))
            return {};
        // It answers in unbounded floats; out of gamut is clipped, as in 8 bits.
        const QRegularExpressionMatch m = QRegularExpression("R=(-?[\\d.]+) G=(-?[\\d.]+) B=(-?[\\d.]+)")
                                              .match(QString::fromLatin1(p.readAllStandardOutput()));
        const auto level = [&m](int i) { return std::clamp(qRound(m.captured(i).toDouble()), 0, 255); };
        return m.hasMatch() ? QColor(level(1), level(2), level(3)) : QColor();
    }

private slots:
    void convertedAsLittlecmsDoes_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("profileName");
        for (const char *format : {"jpg", "png", "tif", "webp"}) {
            QTest::newRow(qPrintable(QString("%1 ProPhoto").arg(format))) << format << "ProPhoto";
            QTest::newRow(qPrintable(QString("%1 swapped").arg(format))) << format << "Swapped";
        }
    }
    void convertedAsLittlecmsDoes()
    {
        QFETCH(QString, format);
        QFETCH(QString, profileName);
        const QByteArray icc = rgbProfile(qPrintable(profileName + " test"),
                                          profileName == "ProPhoto" ? ProPhoto : SwappedRedGreen,
                                          profileName == "ProPhoto" ? 1.8 : 2.2);
        const QString iccPath = dir.filePath(profileName + ".icc");
        QVERIFY(testfiles::writeFile(iccPath, icc));
        // A patch of one colour, lossless where the format allows.
        const QColor patch(200, 60, 40);
        QImage picture = testpictures::solid(48, 32, patch);
        const QString path = dir.filePath("patch." + format);
        QVERIFY(picture.save(path, nullptr, 100));
        QProcess exiftool;
        exiftool.start("exiftool", {"-q", "-overwrite_original", "-ICC_Profile<=" + iccPath, path});
        QVERIFY(exiftool.waitForFinished(60000) && exiftool.exitCode() == 0);

        const QByteArray file = testfiles::readAll(path);
        QCOMPARE(embeddedIccProfile(file), icc);
        QCOMPARE(SrgbConverter::profileName(icc), profileName + " test");
        QImage decoded;
        QVERIFY(decoded.loadFromData(file));
        const QColor raw = decoded.pixelColor(24, 16);
        SrgbConverter converter;
        const QColor got = converter.toSrgb(decoded, icc).pixelColor(24, 16);
        const QColor expected = transicc(iccPath, raw);
        QVERIFY(expected.isValid());
        QVERIFY2(qAbs(got.red() - expected.red()) <= 2 && qAbs(got.green() - expected.green()) <= 2
                     && qAbs(got.blue() - expected.blue()) <= 2,
                 qPrintable(QString("got %1, transicc %2").arg(got.name(), expected.name())));
        if (profileName == "Swapped")   // red shows as green: the numbers changed places
            QVERIFY2(got.green() > got.red(), qPrintable(got.name()));
    }

    void profilesThatDoNotAddUpAreIgnored()
    {
        QCOMPARE(embeddedIccProfile(QByteArray("\xFF\xD8\xFF\xE2\x00\x10ICC_PROFILE\0\x01\x02", 22)), QByteArray());
        const QImage picture(4, 4, QImage::Format_RGB32);
        SrgbConverter converter;
        QCOMPARE(converter.toSrgb(picture, QByteArray(200, 'x')), picture);   // not a profile: as it was
    }
};

QTEST_MAIN(TestColourProfiles)
#include "tst_colourprofiles.moc"
