// What the desktop is told about Glintwave: the menu entry is valid, claims
// exactly the picture, audio and video types of the format table and passes
// file names safely; the AppStream file claims the same and is complete.
#include "core/MediaFormats.h"
#include "core/version.h"
#include "TodaysMedia.h"

#include <QMimeDatabase>
#include <QRegularExpression>
#include <QtTest>

static QString sourceText(const QString &name, const QString &folder = "data")
{
    QFile f(GW_SOURCE_DIR "/" + folder + "/" + name);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

static QString desktopValue(const QString &key)
{
    const QRegularExpression line("^" + key + "=(.*)$", QRegularExpression::MultilineOption);
    return line.match(sourceText("glintwave.desktop")).captured(1);
}

static QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

class TestDesktopFiles : public QObject {
    Q_OBJECT
private slots:
    void validEntryClaimsTheTableTypes()
    {
        QString error;
        QVERIFY2(todaysmedia::runTool("desktop-file-validate", {GW_SOURCE_DIR "/data/glintwave.desktop"}, &error),
                 qPrintable(error));
        // "--" keeps a file named "-x.jpg" from being taken for an option.
        QCOMPARE(desktopValue("Exec"), QStringLiteral("glintwave -- %F"));
        const QStringList claimed = desktopValue("MimeType").split(';', Qt::SkipEmptyParts);
        QStringList provided;
        const QRegularExpression mediatype("<mediatype>([^<]*)</mediatype>");
        for (auto it = mediatype.globalMatch(sourceText("glintwave.metainfo.xml")); it.hasNext();)
            provided << it.next().captured(1);

        // A claimed text type makes Glintwave the default for every text file
        // on a desktop that has no text editor's claim yet.
        const QStringList table = MediaFormats::claimedMimeTypes();
        QVERIFY(table.contains("image/jpeg") && table.contains("audio/flac") && table.contains("video/mp4"));
        for (const QString &type : table + claimed + provided)
            QVERIFY2(type.startsWith("image/") || type.startsWith("audio/") || type.startsWith("video/")
                         || type == "application/vnd.ms-asf",
                     qPrintable(type + " is claimed"));
        QCOMPARE(sorted(claimed), sorted(table));
        QCOMPARE(sorted(provided), sorted(table));
    }

    void appStreamIsCompleteAndValid()
    {
        const QString file = GW_SOURCE_DIR "/data/glintwave.metainfo.xml";
        QProcess validate;
        validate.start("appstreamcli", {"validate", "--pedantic", "--no-net", file});
        QVERIFY(validate.waitForFinished(60000));
        const QString report = QString::fromUtf8(validate.readAllStandardOutput() + validate.readAllStandardError());
        // Pedantic hints do not change the exit status; any line of a finding counts.
        QVERIFY2(validate.exitCode() == 0 && !report.contains(QRegularExpression("^[EWIP]: ", QRegularExpression::MultilineOption)),
                 qPrintable(report));

        const QString xml = sourceText("glintwave.metainfo.xml");
        auto one = [&](const QString &pattern) { return QRegularExpression(pattern).match(xml).captured(1); };
        QCOMPARE(one("<project_license>([^<]*)<"), QStringLiteral("GPL-3.0-or-later"));
        QVERIFY(sourceText("LICENSE", ".").contains("GNU GENERAL PUBLIC LICENSE\n                       Version 3"));
        QVERIFY(!one("<developer_name>([^<]+)<").isEmpty());
        QCOMPARE(one("<release version=\"([^\"]*)\""), QStringLiteral(GLINTWAVE_VERSION_TEXT));

        // The homepage is named once; the screenshots are the documentation's
        // own, found under it, and the Debian package names the same page.
        const QString home = one("<url type=\"homepage\">([^<]*)<");
        QVERIFY(home.startsWith("https://") && home.endsWith('/'));
        QCOMPARE(QRegularExpression("^Homepage: (.*)$", QRegularExpression::MultilineOption)
                     .match(sourceText("control", "debian")).captured(1),
                 home);
        int shots = 0;
        for (auto it = QRegularExpression("<image>([^<]*)</image>").globalMatch(xml); it.hasNext(); ++shots) {
            const QString url = it.next().captured(1);
            QVERIFY2(url.startsWith(home + "docs/screenshots/")
                         && QFileInfo::exists(GW_SOURCE_DIR "/" + url.mid(home.size())),
                     qPrintable(url));
        }
        QVERIFY(shots > 0);
    }

    void tableTypesAreTheDesktopsOwn()
    {
        // A file manager finds the entry by the type it gives the file: a row
        // naming another type than the system's would offer Glintwave for
        // nothing.
        QMimeDatabase db;
        for (const MediaFormats::Format &f : MediaFormats::all()) {
            if (!*f.mime)
                continue;
            const QString ext = QString::fromLatin1(f.extension).toLower();
            const QMimeType type = db.mimeTypeForFile("x." + ext, QMimeDatabase::MatchExtension);
            QVERIFY2(type.name() == QLatin1String(f.mime) || type.aliases().contains(QLatin1String(f.mime)),
                     qPrintable(ext + " is " + type.name() + " to the desktop, not " + f.mime));
        }
    }
};

QTEST_GUILESS_MAIN(TestDesktopFiles)
#include "tst_desktopfiles.moc"
