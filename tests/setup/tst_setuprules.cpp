#include "SetupRules.h"

#include <QLocale>
#include <QSet>
#include <QtTest>

using namespace setup;

class TestSetupRules : public QObject
{
    Q_OBJECT
private slots:
    void colourSplitAndJoin_data();
    void colourSplitAndJoin();
    void cdSelection_data();
    void cdSelection();
    void cdEntriesKeepTheirText();
    void boxTexts_data();
    void boxTexts();
    void boxTextsIgnoreTheUsersLocale();
    void rangesOfTheBars();
};

void TestSetupRules::colourSplitAndJoin_data()
{
    QTest::addColumn<qint32>("stored");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<qint32>("joined");
    QTest::newRow("C08040") << qint32(0x00C08040) << 64 << 128 << 192 << qint32(0x00C08040);
    QTest::newRow("white") << qint32(16777215) << 255 << 255 << 255 << qint32(16777215);
    QTest::newRow("black") << qint32(0) << 0 << 0 << 0 << qint32(0);
    // Hand-edited values with bits above the colour: the channels are still
    // read, the extra bits do not come back.
    QTest::newRow("high byte") << qint32(0x7F102030) << 0x30 << 0x20 << 0x10 << qint32(0x00102030);
    QTest::newRow("minus one") << qint32(-1) << 255 << 255 << 255 << qint32(0x00FFFFFF);
}

void TestSetupRules::colourSplitAndJoin()
{
    QFETCH(qint32, stored);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(qint32, joined);
    const Rgb c = splitColour(stored);
    QCOMPARE(c.red, red);
    QCOMPARE(c.green, green);
    QCOMPARE(c.blue, blue);
    QCOMPARE(joinColour(c.red, c.green, c.blue), joined);
}

void TestSetupRules::cdSelection_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("selected");
    // Entries: "/", "/media/cd [AUDIO]" (CD), "/mnt/usb", "/media/dvd" (CD).
    QTest::newRow("CD with volume name") << "/media/cd [AUDIO]" << 0;
    QTest::newRow("second CD") << "/media/dvd" << 1;
    QTest::newRow("other form of the entry") << "/media/cd" << -1;
    QTest::newRow("letter case differs") << "/MEDIA/DVD" << -1;
    QTest::newRow("old default") << "D:" << -1;
    QTest::newRow("no CD before the match") << "/" << -1;
    QTest::newRow("non-CD after a CD takes that CD") << "/mnt/usb" << 0;
    QTest::newRow("empty") << "" << -1;
}

void TestSetupRules::cdSelection()
{
    QFETCH(QString, stored);
    QFETCH(int, selected);
    const QStringList drives = {"/", "/media/cd [AUDIO]", "/mnt/usb", "/media/dvd"};
    const QSet<QString> cds = {"/media/cd [AUDIO]", "/media/dvd"};
    const CdChoice choice = chooseCdDrives(drives, stored, [&](QString &d) { return cds.contains(d); });
    QCOMPARE(choice.entries, QStringList({"/media/cd [AUDIO]", "/media/dvd"}));
    QCOMPARE(choice.selected, selected);
}

void TestSetupRules::cdEntriesKeepTheirText()
{
    // The drive test takes its argument by reference and may trim it; the
    // list must still show and compare the entry as the drive list has it.
    const QStringList drives = {"/media/cd [AUDIO]"};
    const CdChoice choice = chooseCdDrives(drives, "/media/cd [AUDIO]", [](QString &d) {
        d.truncate(d.indexOf(" ["));
        return true;
    });
    QCOMPARE(choice.entries, drives);
    QCOMPARE(choice.selected, 0);
}

void TestSetupRules::boxTexts_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("thumb");
    QTest::addColumn<QString>("delay");
    QTest::newRow("plain") << "100" << "100" << "100";
    QTest::newRow("pasted letters") << "12ab" << "12" << "12";
    QTest::newRow("fraction") << "2.5" << "8" << "2.5";
    QTest::newRow("unit after number") << " 64 px" << "64" << "64";
    QTest::newRow("empty") << "" << "8" << "0.5";
    QTest::newRow("zero") << "0" << "8" << "0.5";
    QTest::newRow("negative") << "-3" << "8" << "0.5";
    QTest::newRow("huge") << "99999999" << "1024" << "3600";
    QTest::newRow("exponent is not read") << "1e3" << "8" << "1";
    QTest::newRow("words") << "five" << "8" << "0.5";
}

void TestSetupRules::boxTexts()
{
    QFETCH(QString, typed);
    QFETCH(QString, thumb);
    QFETCH(QString, delay);
    QCOMPARE(thumbSizeFromText(typed), thumb);
    QCOMPARE(slideDelayFromText(typed), delay);
}

void TestSetupRules::boxTextsIgnoreTheUsersLocale()
{
    // The stored text is read back with "." as the decimal point, whatever
    // language the desktop uses.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString delay = slideDelayFromText("2.5");
    const QString thumb = thumbSizeFromText("1000");
    QLocale::setDefault(before);
    QCOMPARE(delay, QString("2.5"));
    QCOMPARE(thumb, QString("1000"));
}

void TestSetupRules::rangesOfTheBars()
{
    QCOMPARE(clampEdge(0), 1);
    QCOMPARE(clampEdge(40), 40);
    QCOMPARE(clampEdge(32767), 150);
    QCOMPARE(videoSizeIndex(7), 7);
    QCOMPARE(videoSizeIndex(8), 0);
    QCOMPARE(videoSizeIndex(-1), 0);
    QVERIFY(tickedIfNonZero(2) && !tickedIfOne(2));
    QVERIFY(tickedIfNonZero(-1) && !tickedIfOne(-1));
}

QTEST_APPLESS_MAIN(TestSetupRules)
#include "tst_setuprules.moc"
