#include "NumberText.h"
#include "Rnd.h"
#include "SettingsStore.h"
#include "SettingsText.h"
#include "StoredOptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using namespace SettingsText;

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString ini() const { return dir.filePath("Glintwave.ini"); }
    void writeIni(const QByteArray &body, const QString &path = QString())
    {
        QFile f(path.isEmpty() ? ini() : path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(body);
    }
    // A store QSettings cannot read as a whole.
    static QByteArray garbage()
    {
        return QByteArray("[Settings]\nThumbSize=64\n") + QByteArray(64, '\0') + "\n[Sett\xff\xfe";
    }
    SettingsContext context() const
    {
        SettingsContext c;
        c.screenWidthTwips = 1024 * 15;
        c.screenHeightTwips = 768 * 15;
        c.startFolder = "/start";
        c.fontName = "DejaVu Sans";
        c.fontSize = 9;
        return c;
    }

private slots:
    void textConversions()
    {
        // Fractions round to the nearest integer, halves to even.
        QCOMPARE(*toInt16("8.5"), int16_t(8));
        QCOMPARE(*toInt16("9.5"), int16_t(10));
        QCOMPARE(*toInt16("-2.5"), int16_t(-2));
        QCOMPARE(*toInt16(" 12 "), int16_t(12));
        QCOMPARE(*toInt16("32767"), int16_t(32767));
        for (const char *bad : {"32768", "-32769", "abc", ""})
            QVERIFY2(!toInt16(bad), bad);
        QCOMPARE(*toInt32("16777215"), int32_t(16777215));
        QVERIFY(!toInt32("3000000000"));
        QCOMPARE(*toFloat("6795"), 6795.0f);
        QVERIFY(!toFloat("1e40") && !toFloat("12ab"));
        QVERIFY(*toBool("tRUE") && *toBool("-1") && *toBool("2"));
        QVERIFY(!*toBool("False") && !*toBool("0"));
        QVERIFY(!toBool("yes"));

        QCOMPARE(fromFloat(0.1f), QString("0.1"));   // shortest text for the float, not the double
        QCOMPARE(fromFloat(4567.5f), QString("4567.5"));
        QCOMPARE(fromFloat(30000000.0f), QString("30000000"));
        QCOMPARE(*toFloat(fromFloat(1.0f / 3.0f)), 1.0f / 3.0f);
        // The extremes read back too (the largest was once refused).
        for (const float f : {std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                              std::numeric_limits<float>::min(), std::numeric_limits<float>::denorm_min()})
            QCOMPARE(toFloat(fromFloat(f)), std::optional<float>(f));
        QVERIFY(!toFloat("3.41e38") && !toFloat("-1e39"));
        QCOMPARE(fromBool(true), QString("True"));
        QCOMPARE(fromInt(-32768), QString("-32768"));

        QCOMPARE(leadingNumber("12ab"), 12.0);
        QCOMPARE(leadingNumber("2.9.1"), 2.9);
        QCOMPARE(leadingNumber("abc"), 0.0);
        QCOMPARE(leadingNumber("  -3x"), -3.0);
    }

    void emptyStoreGivesDefaults()
    {
        QFile::remove(ini());
        SettingsStore store(ini());
        StoredSettings s;
        readAllSettings(store, context(), s);
        const WindowSettings &w = s.window;
        const OptionSet &o = s.options;
        QCOMPARE(w.MainWidth, 6795.0f);
        QCOMPARE(w.MainHeight, 5595.0f);
        QCOMPARE(w.MainLeft, float((1024 * 15 - 6795) / 2.0));
        QCOMPARE(w.MainTop, float((768 * 15 - 5595) / 2.0));
        QCOMPARE(w.Filter, QString("011111111111111"));
        QVERIFY(o.TimingInfo && o.UnknownAsText && !o.ScaleBig && !o.LoopSlide && !o.CDonTop);
        QVERIFY(o.ThumbSize == 100 && o.SlideDelay == 5 && o.EdgeTuning == 40);
        QCOMPARE(o.BgColour, QColor(Qt::white));
        QCOMPARE(w.DetailedCol, (std::array<int32_t, 4>{3000, 1500, 2000, 4000}));
        // The rest come from the machine.
        QCOMPARE(w.Path, QString("/start"));
        QCOMPARE(o.TextFontName, QString("DejaVu Sans"));
        QCOMPARE(o.TextFontSize, 9);
    }

    void damagedKeysTakeTheirDefaults()
    {
        // One bad line must not leave a zero thumbnail size, slide delay or
        // edge threshold, and must not disturb the keys around it.
        writeIni("[Settings]\nThumbSize=abc\nSlideDelay=\nEdgeTuning=x40\nTextFontSize=8.5\n"
                 "TextFontBold=-1\nWindowState=99999\nBgColour=12345\nMainWidth=wide\n"
                 "MainHeight=7000\nView=2\nLoopSlide=2\nScaleBig=2\nCDonTop=1\nTimingInfo=0\n");
        SettingsStore store(ini());
        StoredSettings s;
        readAllSettings(store, context(), s);
        const WindowSettings &w = s.window;
        const OptionSet &o = s.options;
        QCOMPARE(o.ThumbSize, 100);
        QCOMPARE(o.SlideDelay, 5.0);
        QCOMPARE(o.EdgeTuning, 40);
        QCOMPARE(o.TextFontSize, 8);
        QCOMPARE(o.TextFontBold, true);
        QCOMPARE(w.WindowState, 0);
        QCOMPARE(o.BgColour, QColor(0x39, 0x30, 0x00));   // 12345 is 0x003039 as 0x00BBGGRR
        QCOMPARE(w.MainWidth, 6795.0f);
        QCOMPARE(w.MainHeight, 7000.0f);
        QCOMPARE(w.MainTop, float((768 * 15 - 7000) / 2.0)); // default follows the restored height
        QCOMPARE(o.ViewMode, 2);
        // Some flags are on for any non-zero value, others only for exactly 1.
        QVERIFY(!o.LoopSlide && o.ScaleBig && o.CDonTop && !o.TimingInfo);
    }

    void roundTripKeepsEveryValueAndForeignKeys()
    {
        // Every key, none at its default, in the form it is stored in: read,
        // then written into a store holding only foreign keys, each comes
        // back as it went in.
        const QList<QPair<QString, QString>> keys = {
            {"MainLeft", "150.5"}, {"MainTop", "-30"}, {"MainWidth", "9000"}, {"MainHeight", "6000"},
            {"View", "1"}, {"ThumbSize", "64"}, {"WindowState", "2"}, {"Filter", "1000000000000001"},
            {"Path", "/tmp/a folder, with \"quotes\" & more"}, {"SlideDelay", "2.5"}, {"ScaleBig", "1"},
            {"ScaleSmall", "1"}, {"TimingInfo", "0"}, {"VideoSize", "6"}, {"BgColour", QString::number(0x00C08040)},
            {"UnknownAsText", "0"}, {"CDPlaybackDrive", "/media/cdrom [AUDIO]"}, {"CustomFilter", "*.PNG;*.TIF,*.x"},
            {"TextFontName", "Liberation Mono"}, {"TextFontSize", "14"}, {"TextFontBold", "True"},
            {"TextFontItalic", "True"}, {"DetailedCol0", "1234"}, {"DetailedCol1", "2345"},
            {"DetailedCol2", "3456"}, {"DetailedCol3", "4567"}, {"SortCol", "2"}, {"SortDir", "1"},
            {"EdgeTuning", "150"}, {"LoopSlide", "1"}, {"CDonTop", "1"}};
        const QString from = dir.filePath("from.ini");
        {
            SettingsStore store(from);
            for (const auto &[key, text] : keys)
                store.SaveSetting(key, text);
            QVERIFY(store.sync());
        }
        StoredSettings s;
        SettingsStore source(from);
        readAllSettings(source, context(), s);
        // The typed values too, so that a conversion undone on the way back shows.
        const WindowSettings &w = s.window;
        const OptionSet &o = s.options;
        QVERIFY(w.MainLeft == 150.5f && w.MainHeight == 6000.0f && w.WindowState == 2);
        QCOMPARE(w.Path, keys[8].second);
        QCOMPARE(w.DetailedCol, (std::array<int32_t, 4>{1234, 2345, 3456, 4567}));
        QVERIFY(o.ViewMode == 1 && o.ThumbSize == 64 && o.SlideDelay == 2.5 && o.EdgeTuning == 150);
        QVERIFY(o.ScaleBig && o.ScaleSmall && !o.TimingInfo && !o.UnknownAsText && o.LoopSlide && o.CDonTop);
        QVERIFY(o.TextFontBold && o.TextFontItalic && o.TextFontSize == 14 && o.SortCol == 2 && o.SortDir == 1);
        QCOMPARE(o.BgColour, QColor(0x40, 0x80, 0xC0));   // stored as 0x00BBGGRR

        writeIni("[Other]\nkeep=me\n[Settings]\nUnknownKey=stays\n");
        {
            SettingsStore store(ini());
            writeAllSettings(store, s);
            QVERIFY(store.sync());
        }
        SettingsStore back(ini());
        for (const auto &[key, text] : keys)
            QCOMPARE(back.GetSetting(key, "?"), text);
        QCOMPARE(back.GetSetting("UnknownKey", ""), QString("stays"));
        QCOMPARE(QSettings(ini(), QSettings::IniFormat).value("Other/keep").toString(), QString("me"));
    }

    void unreadableStoreOpensWithDefaultsAndIsKept()
    {
        // A store that cannot be read as a whole is not overwritten: it is set
        // aside on the first write, so none of its content is lost.
        writeIni(garbage());
        SettingsStore probe(ini());
        if (!probe.damaged())
            QSKIP("this Qt reads the damaged file; nothing to set aside");
        StoredSettings s;
        readAllSettings(probe, context(), s);
        QCOMPARE(s.options.ThumbSize, 100);
        writeAllSettings(probe, s);
        QVERIFY(probe.sync());
        const QStringList aside = QDir(dir.path()).entryList({"Glintwave.ini.damaged-*"});
        QCOMPARE(aside.size(), 1);
        QFile kept(dir.filePath(aside.first()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), garbage());
    }

    void randomRunsAreTheSameSequence()
    {
        // A reserved run gives exactly the numbers single draws would, so an
        // effect may compute them on several threads and stay repeatable.
        Randomize(7);
        std::vector<double> single;
        for (int i = 0; i < 6; ++i)
            single.push_back(Rnd());
        Randomize(7);
        QCOMPARE(Rnd(), single[0]);
        const RndRun run = reserveRnd(4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(run.at(i), single[i + 1]);
        QCOMPARE(RndRepeat(), single[4]);
        QCOMPARE(Rnd(), single[5]);
        // Uniform in [0, 1): every tenth of the range gets its share.
        std::array<int, 10> bins{};
        for (int i = 0; i < 100000; ++i) {
            const double u = Rnd();
            QVERIFY(u >= 0.0 && u < 1.0);
            ++bins[size_t(u * 10)];
        }
        for (int b : bins)
            QVERIFY2(b > 9500 && b < 10500, qPrintable(QString::number(b)));
        Randomize(8);
        QVERIFY(Rnd() != single[0]);
    }

    void damagedStoreIsKeptWhateverItsNewNameMeets()
    {
        // The damaged file's first new name is taken (a file set aside a
        // moment ago): it gets another, and both files stay as they were.
        const QString path = dir.filePath("collide.ini");
        writeIni(garbage(), path);
        SettingsStore store(path);
        if (!store.damaged())
            QSKIP("this Qt reads the damaged file; nothing to set aside");
        // Every name the next seconds could give is already someone's.
        const QDateTime now = QDateTime::currentDateTime();
        for (int s = 0; s < 5; ++s) {
            QFile taken(path + ".damaged-" + now.addSecs(s).toString("yyyyMMdd-HHmmss"));
            QVERIFY(taken.open(QIODevice::WriteOnly));
            taken.write("kept from before");
        }
        store.SaveSetting("ThumbSize", "80");
        QVERIFY(store.sync());
        QCOMPARE(SettingsStore(path).GetSetting("ThumbSize", ""), QString("80"));
        int garbageCopies = 0, earlier = 0;
        for (const QString &name : QDir(dir.path()).entryList({"collide.ini.damaged-*"})) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            garbageCopies += bytes == garbage();
            earlier += bytes == "kept from before";
        }
        QCOMPARE(garbageCopies, 1);
        QCOMPARE(earlier, 5);
    }

    void damagedStoreThatCannotBeRenamedIsLeftAlone()
    {
        // A name so long that no longer name is allowed: the rename fails,
        // so nothing may be written over the file; sync says so and why.
        const QString path = dir.filePath(QString(240, 'd') + ".ini");
        writeIni(garbage(), path);
        SettingsStore store(path);
        if (!store.damaged())
            QSKIP("this Qt reads the damaged file; nothing to set aside");
        StoredSettings s;
        readAllSettings(store, context(), s);
        writeAllSettings(store, s);
        QVERIFY(!store.sync());
        QVERIFY2(store.errorString().contains("left as it is"), qPrintable(store.errorString()));
        QVERIFY2(store.errorString().contains(path), qPrintable(store.errorString()));
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), garbage());
        QCOMPARE(store.GetSetting("ThumbSize", "100"), QString("100"));
    }

    void storeThatIsAFolderIsNotUsable()
    {
        const QString path = dir.filePath("folder.ini");
        QVERIFY(QDir().mkpath(path));
        SettingsStore store(path);
        QVERIFY(store.damaged());
        QCOMPARE(store.GetSetting("ThumbSize", "100"), QString("100"));
        store.SaveSetting("ThumbSize", "64");
        QVERIFY(!store.sync());
        QVERIFY2(store.errorString().contains(path), qPrintable(store.errorString()));
        QVERIFY(QFileInfo(path).isDir());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
