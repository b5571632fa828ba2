#include "core/SettingsStore.h"
#include "core/StoredOptions.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "TestFiles.h"

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString ini() const { return dir.filePath("Glintwave.ini"); }
    void writeIni(const QByteArray &body, const QString &path = QString())
    {
        QVERIFY(testfiles::writeFile(path.isEmpty() ? ini() : path, body));
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
    void missingAndDamagedKeysTakeTheirDefaults()
    {
        // One bad line must not leave a zero thumbnail size, slide delay or
        // edge threshold, and must not disturb the keys around it; missing
        // keys take the defaults, some of them from the machine.
        writeIni("[Settings]\nThumbSize=abc\nSlideDelay=\nEdgeTuning=x40\nTextFontSize=8.5\n"
                 "TextFontBold=-1\nWindowState=99999\nBgColour=12345\nMainWidth=wide\n"
                 "MainHeight=7000\nView=2\nLoopSlide=2\nScaleBig=2\nCDonTop=1\nTimingInfo=0\n");
        SettingsStore store(ini());
        StoredSettings s;
        readAllSettings(store, context(), s);
        const WindowSettings &w = s.window;
        const OptionSet &o = s.options;
        QCOMPARE(o.ThumbSize, 100.0);
        QCOMPARE(o.SlideDelay, 5.0);
        QCOMPARE(o.EdgeTuning, 40);
        QCOMPARE(o.TextFontSize, 8);
        QCOMPARE(w.WindowState, 0);
        QCOMPARE(o.BgColour, QColor(0x39, 0x30, 0x00));   // 12345 is 0x003039 as 0x00BBGGRR
        QCOMPARE(w.MainWidth, 6795.0f);
        QCOMPARE(w.MainHeight, 7000.0f);
        QCOMPARE(w.Path, QString("/start"));
        QCOMPARE(o.TextFontName, QString("DejaVu Sans"));
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
            {"View", "1"}, {"ThumbSize", "64.5"}, {"WindowState", "2"}, {"Filter", "1000000000000001"},
            {"Path", "/tmp/a folder, with \"quotes\" & more"}, {"SlideDelay", "2.5"}, {"ScaleBig", "1"},
            {"ScaleSmall", "1"}, {"TimingInfo", "0"}, {"VideoSize", "6"}, {"BgColour", QString::number(0x00C08040)},
            {"UnknownAsText", "0"}, {"CDPlaybackDrive", "/media/cdrom [AUDIO]"}, {"CustomFilter", "*.PNG;*.TIF,*.x"},
            {"TextFontName", "Liberation Mono"}, {"TextFontSize", "14"}, {"TextFontBold", "True"},
            {"TextFontItalic", "True"}, {"DetailedCol0", "1234"}, {"DetailedCol1", "2345"},
            {"DetailedCol2", "3456"}, {"DetailedCol3", "4567"}, {"SortCol", "2"}, {"SortDir", "1"},
            {"EdgeTuning", "150"}, {"LoopSlide", "1"}, {"CDonTop", "1"},
            {"RecentFolders", "/media/card/DCIM|/home/u/Keep, 2024"}};
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
        QCOMPARE(w.MainLeft, 150.5f);
        QCOMPARE(w.DetailedCol, (std::array<int32_t, 4>{1234, 2345, 3456, 4567}));
        QCOMPARE(o.SlideDelay, 2.5);
        QCOMPARE(o.ThumbSize, 64.5);
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

    void damagedStoreIsSetAsideWhateverItsNewNameMeets_data()
    {
        QTest::addColumn<QByteArray>("damage");
        QTest::newRow("broken section") << garbage();
        // QSettings reads these without a complaint, and only fails when it
        // has already written over them.
        QByteArray noise(4096, 0);
        QRandomGenerator random(20261207);
        for (char &c : noise)
            c = char(random.bounded(256));
        QTest::newRow("random bytes") << noise;
    }
    void damagedStoreIsSetAsideWhateverItsNewNameMeets()
    {
        QFETCH(QByteArray, damage);
        // A store that cannot be read as a whole opens with the defaults and
        // is not overwritten: the first write sets it aside. Its first new
        // name is taken (a file set aside a moment ago): it gets another, and
        // both files stay as they were.
        QTemporaryDir folder;
        const QString path = folder.filePath("collide.ini");
        writeIni(damage, path);
        SettingsStore store(path);
        QVERIFY(store.damaged());
        QCOMPARE(store.GetSetting("ThumbSize", "100"), QString("100"));
        // Every name the next seconds could give is already someone's.
        const QDateTime now = QDateTime::currentDateTime();
        for (int s = 0; s < 5; ++s)
            QVERIFY(testfiles::writeFile(path + ".damaged-" + now.addSecs(s).toString("yyyyMMdd-HHmmss"),
                                         "kept from before"));
        store.SaveSetting("ThumbSize", "80");
        QVERIFY2(store.sync(), qPrintable(store.errorString()));
        QCOMPARE(SettingsStore(path).GetSetting("ThumbSize", ""), QString("80"));
        int garbageCopies = 0, earlier = 0;
        for (const QString &name : QDir(folder.path()).entryList({"collide.ini.damaged-*"})) {
            const QByteArray bytes = testfiles::readAll(folder.filePath(name));
            garbageCopies += bytes == damage;
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
        store.SaveSetting("ThumbSize", "80");
        QVERIFY(!store.sync());
        QVERIFY2(store.errorString().contains("left as it is"), qPrintable(store.errorString()));
        QCOMPARE(testfiles::readAll(path), garbage());
        QCOMPARE(store.GetSetting("ThumbSize", "100"), QString("100"));
    }

};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
