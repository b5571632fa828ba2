// Pictures that carry a colour profile: the profile found in the file as
// each format keeps it, and the loaded pixels converted to sRGB as
// littlecms's own transicc converts them (within 2 levels).
#include "viewer/EmbeddedProfile.h"
#include "viewer/PictureLoader.h"
#include "viewer/SrgbConverter.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "IccProfiles.h"
#include "TestFiles.h"
#include "TestPictures.h"

using namespace iccprofiles;

class TestColourProfiles : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    bool run(const QString &program, const QStringList &args)
    {
        QProcess p;
        p.start(program, args);
        return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
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

private slots:
    // Through the loader every picture path uses: the file with a profile
    // against the same pixels without one, converted by transicc.
    void convertedAsLittlecmsDoes_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("profileName");
        for (const char *format : {"jpg", "png", "tif", "webp", "heic"}) {
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
        // A patch of one colour, lossless where the format allows; HEIC is
        // encoded from a PNG that carries the profile.
        // Tall enough that its rows are converted by several threads.
        const QImage picture = testpictures::solid(48, 640, QColor(200, 60, 40));
        const QString plain = dir.filePath("plain." + format), tagged = dir.filePath(profileName + "." + format);
        const bool heic = format == "heic";
        QVERIFY(picture.save(heic ? plain + ".png" : plain, nullptr, 100));
        QVERIFY(QFile::copy(heic ? plain + ".png" : plain, heic ? tagged + ".png" : tagged));
        QVERIFY(run("exiftool", {"-q", "-overwrite_original", "-ICC_Profile<=" + iccPath, heic ? tagged + ".png" : tagged}));
        if (heic) {
            QVERIFY(run("heif-enc", {"-q", "100", "-o", plain, plain + ".png"}));
            QVERIFY(run("heif-enc", {"-q", "100", "-o", tagged, tagged + ".png"}));
        } else {
            QCOMPARE(embeddedIccProfile(testfiles::readAll(tagged)), icc);
        }
        QCOMPARE(SrgbConverter::profileName(icc), profileName + " test");
        const QColor got = centre(tagged);
        const QColor want = transicc(iccPath, "*sRGB", centre(plain));
        const LoadedPicture loaded = PictureLoader::load(tagged);
        const LoadedPicture shrunk = PictureLoader::loadFitted(tagged, [](const QSize &s) { return s / 4; });
        for (const QColor &seen : {got, loaded.image.pixelColor(0, 0), loaded.image.pixelColor(47, 639),
                                   shrunk.image.pixelColor(5, 100)}) {
            const QString wrong = near(seen, want);
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        }
        if (profileName == "Swapped")   // red shows as green: the numbers changed places
            QVERIFY2(got.green() > got.red(), qPrintable(got.name()));
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
        QVERIFY(run("convert", {"-size", "48x32", "xc:cmyk(10%,70%,80%,5%)", "-quality", "100", bare}));
        QVERIFY(QFile::copy(bare, tagged));
        QVERIFY(run("exiftool", {"-q", "-overwrite_original", "-ICC_Profile<=" + other, tagged}));
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
