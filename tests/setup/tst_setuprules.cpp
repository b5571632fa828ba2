#include "setup/SetupRules.h"

#include <QLocale>
#include <QSet>
#include <QtTest>

using namespace setup;

class TestSetupRules : public QObject
{
    Q_OBJECT
private slots:
    void cdSelection_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("selected");
        // Drive list: "/", "/media/cd [AUDIO]" (CD), "/mnt/usb", "/media/dvd" (CD).
        QTest::newRow("CD with volume name") << "/media/cd [AUDIO]" << 0;
        QTest::newRow("other form of the entry") << "/media/cd" << -1;
        QTest::newRow("non-CD before any CD") << "/" << -1;
        QTest::newRow("non-CD after a CD takes that CD") << "/mnt/usb" << 0;
    }

    void cdSelection()
    {
        QFETCH(QString, stored);
        QFETCH(int, selected);
        const QStringList drives = {"/", "/media/cd [AUDIO]", "/mnt/usb", "/media/dvd"};
        const QSet<QString> cds = {"/media/cd [AUDIO]", "/media/dvd"};
        // The drive test may change its argument; the list keeps the entry's own text.
        const CdChoice choice = chooseCdDrives(drives, stored, [&](QString &d) {
            const bool cd = cds.contains(d);
            d.truncate(1);
            return cd;
        });
        QCOMPARE(choice.entries, QStringList({"/media/cd [AUDIO]", "/media/dvd"}));
        QCOMPARE(choice.selected, selected);
    }

    void boxTexts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("thumb");
        QTest::addColumn<double>("delay");
        QTest::newRow("pasted letters") << "12.5ab" << 12.5 << 12.5;
        QTest::newRow("empty") << "" << 8.0 << 0.5;
        QTest::newRow("huge") << "99999999" << 1024.0 << 3600.0;
        QTest::newRow("exponent is not read") << "1e3" << 8.0 << 1.0;
    }

    void boxTexts()
    {
        QFETCH(QString, typed);
        QFETCH(double, thumb);
        QFETCH(double, delay);
        // Typed with "." whatever language the desktop uses.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const double t = thumbSizeFromText(typed);
        const double d = slideDelayFromText(typed);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(t, thumb);
        QCOMPARE(d, delay);
    }

    void colourBitsAboveTheChannelsAreDropped()
    {
        const Rgb c = splitColour(-1);
        QVERIFY(c.red == 255 && c.green == 255 && c.blue == 255);
        const Rgb d = splitColour(0x7F102030);
        QCOMPARE(joinColour(d.red, d.green, d.blue), 0x00102030);
    }
};

QTEST_APPLESS_MAIN(TestSetupRules)
#include "tst_setuprules.moc"
