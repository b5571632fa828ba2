// Pictures that carry a colour profile: the profile found in the file as
// each format keeps it, and the loaded pixels converted to sRGB as
// littlecms's own transicc converts them (within 2 levels).
#include "viewer/EmbeddedProfile.h"
#include "viewer/PictureLoader.h"
#include "viewer/SrgbConverter.h"

#include <QFile>
#include <QColorSpace>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "IccProfiles.h"
#include "TestMedia.h"
#include "TestFiles.h"
#include "TestPictures.h"

using namespace iccprofiles;

class TestColourProfiles : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QColor centre(const QString &path)
    {
        const LoadedPicture p = PictureLoader::load(path);
        return p.ok() ? p.image.pixelColor(p.image.width() / 2, p.image.height() / 2) : QColor();
    }
    static QString near(QColor got, QColor want)
    {
        const bool ok = want.isValid() && qAbs(got.red() - want.red()) <= 2 && qAbs(got.green() - want.green()) <= 2
                        && qAbs(got.blue() - want.blue()) <= 2;
        return ok ? QString() : QString("got %1, littlecms %2").arg(got.name(), want.name());
    }
    // Where two pictures of one size differ by more than levels, or empty.
    static QString firstDifference(const QImage &got, const QImage &want, int levels)
    {
        for (int y = 0; y < want.height(); ++y)
            for (int x = 0; x < want.width(); ++x) {
                const QRgb g = got.pixel(x, y), w = want.pixel(x, y);
                if (qAbs(qRed(g) - qRed(w)) > levels || qAbs(qGreen(g) - qGreen(w)) > levels
                    || qAbs(qBlue(g) - qBlue(w)) > levels)
                    return QString("at %1, %2: %3 against %4").arg(x).arg(y).arg(g, 8, 16).arg(w, 8, 16);
            }
        return {};
    }

private slots:
    // Through the loader every picture path uses: the file with a profile
    // against the same pixels without one, converted by transicc. (Other
    // profiles against littlecms: everyLevelAsLittlecms.)
    void convertedAsLittlecmsDoes_data()
    {
        QTest::addColumn<QString>("format");
        for (const char *format : {"jpg", "png", "tif", "webp", "heic"})
            QTest::newRow(format) << format;
    }
    void convertedAsLittlecmsDoes()
    {
        QFETCH(QString, format);
        const QByteArray icc = rgbProfile("ProPhoto test", ProPhoto, 1.8);
        const QString iccPath = dir.filePath("ProPhoto.icc");
        QVERIFY(testfiles::writeFile(iccPath, icc));
        // A patch of one colour, lossless where the format allows; HEIC is
        // encoded from a PNG that carries the profile.
        // Tall enough that its rows are converted by several threads.
        const QImage picture = testpictures::solid(48, 640, QColor(200, 60, 40));
        const QString plain = dir.filePath("plain." + format), tagged = dir.filePath("tagged." + format);
        const bool heic = format == "heic";
        QVERIFY(picture.save(heic ? plain + ".png" : plain, nullptr, 100));
        QVERIFY(QFile::copy(heic ? plain + ".png" : plain, heic ? tagged + ".png" : tagged));
        QVERIFY(testmedia::tool("exiftool", {"-q", "-overwrite_original", "-ICC_Profile<=" + iccPath, heic ? tagged + ".png" : tagged}));
        if (heic) {
            QVERIFY(testmedia::tool("heif-enc", {"-q", "100", "-o", plain, plain + ".png"}));
            QVERIFY(testmedia::tool("heif-enc", {"-q", "100", "-o", tagged, tagged + ".png"}));
        } else {
            QCOMPARE(embeddedIccProfile(testfiles::readAll(tagged)), icc);
        }
        QCOMPARE(SrgbConverter::profileName(icc), QString("ProPhoto test"));
        const QColor got = centre(tagged);
        const QColor want = transicc(iccPath, "*sRGB", centre(plain));
        const LoadedPicture loaded = PictureLoader::load(tagged);
        const LoadedPicture shrunk = PictureLoader::loadFitted(tagged, [](const QSize &s) { return s / 4; });
        for (const QColor &seen : {got, loaded.image.pixelColor(0, 0), loaded.image.pixelColor(47, 639),
                                   shrunk.image.pixelColor(5, 100)}) {
            const QString wrong = near(seen, want);
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        }
    }

    // A photo at its own size is converted while it is decoded: the same
    // pixels as decoding it whole and converting after, for a picture whose
    // rows do not fill the last band, one turned by its EXIF orientation
    // and one cut short.
    void convertedWhileDecodedAsAfter()
    {
        QImage picture = testmedia::pattern(1100, 1003);
        picture.setColorSpace(QColorSpace::fromIccProfile(rgbProfile("ProPhoto test", ProPhoto, 1.8)));
        const QString whole = dir.filePath("photo.jpg"), turned = dir.filePath("turned.jpg"),
                      cut = dir.filePath("cut.jpg");
        QVERIFY(picture.save(whole, "JPEG", 90));
        QVERIFY(QFile::copy(whole, turned));
        QVERIFY(testmedia::tool("exiftool", {"-q", "-overwrite_original", "-n", "-Orientation=6", turned}));
        const QByteArray bytes = testfiles::readAll(whole);
        QVERIFY(testfiles::writeFile(cut, bytes.left(bytes.size() * 3 / 5)));
        const QByteArray icc = embeddedIccProfile(bytes);
        QVERIFY(!icc.isEmpty());
        SrgbConverter converter;
        for (const QString &path : {whole, turned, cut}) {
            QImageReader reader(path);
            reader.setAutoTransform(true);
            const QImage after = converter.toSrgb(reader.read(), icc).convertToFormat(QImage::Format_RGB32);
            const LoadedPicture loaded = PictureLoader::load(path);
            QVERIFY2(loaded.ok(), qPrintable(path + ": " + loaded.error));
            QCOMPARE(loaded.image.size(), path == turned ? QSize(1003, 1100) : QSize(1100, 1003));
            QCOMPARE(loaded.image.size(), after.size());
            // Tagged as what they now are, or a save or a monitor profile converts them twice.
            QCOMPARE(loaded.image.colorSpace(), QColorSpace(QColorSpace::SRgb));
            const QString wrong = firstDifference(loaded.image, after, 0);
            QVERIFY2(wrong.isEmpty(), qPrintable(path + " " + wrong));
        }
        // A damaged scan inside a tagged photo is told, not shown as garbage or a crash.
        QByteArray broken = bytes;
        qsizetype scan = 2;   // the markers before the scan, each with its length
        while (scan + 4 < broken.size() && uchar(broken[scan + 1]) != 0xDA)
            scan += 2 + (uchar(broken[scan + 2]) << 8 | uchar(broken[scan + 3]));
        QVERIFY(scan + 4 < broken.size() && uchar(broken[scan]) == 0xFF);
        broken[scan + 4] = char(0x7F);   // the scan's header claims 127 components
        const QString damaged = dir.filePath("damaged.jpg");
        QVERIFY(testfiles::writeFile(damaged, broken));
        QVERIFY(!PictureLoader::load(damaged).ok());
    }

    // Every level of each channel alone, a grey ramp and scattered mixes,
    // converted as littlecms's own transform converts them (within a
    // level); a profile that is sRGB under another name is left alone, at
    // no cost, and one that differs from sRGB in one curve is not.
    void everyLevelAsLittlecms()
    {
        QImage picture(256, 8, QImage::Format_RGB32);
        quint32 seed = 12345;
        for (int x = 0; x < 256; ++x) {
            const int levels[4][3] = {{x, 0, 0}, {0, x, 0}, {0, 0, x}, {x, x, x}};
            for (int y = 0; y < 4; ++y)
                picture.setPixel(x, y, qRgb(levels[y][0], levels[y][1], levels[y][2]));
            for (int y = 4; y < 8; ++y)
                picture.setPixel(x, y, (seed = seed * 1664525u + 1013904223u) >> 8 | 0xFF000000u);
        }
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        const auto saved = [](cmsHPROFILE p, const char *name) {
            cmsMLU *description = cmsMLUalloc(nullptr, 1);
            cmsMLUsetASCII(description, "en", "US", name);
            cmsWriteTag(p, cmsSigProfileDescriptionTag, description);
            cmsMLUfree(description);
            cmsUInt32Number size = 0;
            cmsSaveProfileToMem(p, nullptr, &size);
            QByteArray bytes(qsizetype(size), '\0');
            cmsSaveProfileToMem(p, bytes.data(), &size);
            return bytes;
        };
        const QByteArray renamed = saved(srgb, "Screen");
        cmsToneCurve *gamma = cmsBuildGamma(nullptr, 2.2);
        cmsWriteTag(srgb, cmsSigRedTRCTag, gamma);
        const QByteArray redOff = saved(srgb, "Screen, red at 2.2");
        cmsFreeToneCurve(gamma);
        cmsCloseProfile(srgb);

        SrgbConverter converter;
        const QImage same = converter.toSrgb(picture, renamed);
        QCOMPARE(same.constBits(), picture.constBits());
        QVERIFY(!converter.rowsToSrgb(renamed));
        for (const QByteArray &icc : {rgbProfile("ProPhoto test", ProPhoto, 1.8),
                                      rgbProfile("Swapped test", SwappedRedGreen, 2.2), redOff}) {
            QVERIFY(converter.rowsToSrgb(icc));
            const QImage got = converter.toSrgb(picture, icc);
            QImage want(picture.size(), QImage::Format_RGB32);
            cmsHPROFILE from = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
            cmsHPROFILE to = cmsCreate_sRGBProfile();
            cmsHTRANSFORM t = cmsCreateTransform(from, TYPE_BGRA_8, to, TYPE_BGRA_8, INTENT_PERCEPTUAL, 0);
            QVERIFY(t);
            for (int y = 0; y < picture.height(); ++y)
                cmsDoTransform(t, picture.constScanLine(y), want.scanLine(y), cmsUInt32Number(picture.width()));
            cmsDeleteTransform(t);
            cmsCloseProfile(to);
            cmsCloseProfile(from);
            const QString wrong = firstDifference(got, want, 1);
            QVERIFY2(wrong.isEmpty(), qPrintable(SrgbConverter::profileName(icc) + " " + wrong + " (littlecms)"));
            QVERIFY(!firstDifference(got, picture, 8).isEmpty());
        }
    }

    // A JPEG made for print: through the profile it carries, or without one
    // through the system's press profile; never Qt's ink arithmetic.
    void cmykJpegGoesThroughItsProfile()
    {
        const QString press = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
        const QString other = "/usr/share/color/icc/ghostscript/ps_cmyk.icc";
        if (!QFile::exists(press) || !QFile::exists(other))
            QSKIP("the press profiles are missing (scripts/setup)");
        const QString bare = dir.filePath("print.jpg"), tagged = dir.filePath("print-tagged.jpg");
        QVERIFY(testmedia::tool("convert", {"-size", "48x32", "xc:cmyk(10%,70%,80%,5%)", "-quality", "100", bare}));
        QVERIFY(QFile::copy(bare, tagged));
        QVERIFY(testmedia::tool("exiftool", {"-q", "-overwrite_original", "-ICC_Profile<=" + other, tagged}));
        for (const auto &[file, profile] : {std::pair{bare, press}, std::pair{tagged, other}}) {
            QProcess p;
            p.start("transicc", {"-i", profile, "-o", "*sRGB", "-t", "0", "-n"});
            p.write("10 70 80 5\n");
            p.closeWriteChannel();
            QVERIFY(p.waitForFinished(30000));
            const QStringList levels = QString::fromLatin1(p.readAllStandardOutput()).trimmed().split(' ').mid(0, 3);
            QCOMPARE(levels.size(), 3);
            auto level = [&](int i) { return std::clamp(qRound(levels[i].toDouble()), 0, 255); };
            const QString wrong = near(centre(file), QColor(level(0), level(1), level(2)));
            QVERIFY2(wrong.isEmpty(), qPrintable(file + ": " + wrong));
        }
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
