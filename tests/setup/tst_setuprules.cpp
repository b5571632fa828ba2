#include "setup/SetupRules.h"

#include <QLocale>
#include <QtTest>

using namespace setup;

class TestSetupRules : public QObject
{
    Q_OBJECT
private slots:
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
