// What the desktop is told about Glintwave: the menu entry is valid, claims
// exactly the types the program opens and passes file names safely.
#include "browser/MediaTypes.h"
#include "TodaysMedia.h"

#include <QMimeDatabase>
#include <QRegularExpression>
#include <QtTest>

static QString desktopValue(const QString &key)
{
    QFile f(GW_SOURCE_DIR "/data/glintwave.desktop");
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    const QRegularExpression line("^" + key + "=(.*)$", QRegularExpression::MultilineOption);
    return line.match(QString::fromUtf8(f.readAll())).captured(1);
}

class TestDesktopFiles : public QObject {
    Q_OBJECT
private slots:
    void validEntryClaimsTheTypesTheViewerOpens()
    {
        QString error;
        QVERIFY2(todaysmedia::runTool("desktop-file-validate", {GW_SOURCE_DIR "/data/glintwave.desktop"}, &error),
                 qPrintable(error));
        // "--" keeps a file named "-x.jpg" from being taken for an option.
        QCOMPARE(desktopValue("Exec"), QStringLiteral("glintwave -- %F"));
        const QStringList claimed = desktopValue("MimeType").split(';', Qt::SkipEmptyParts);
        QMimeDatabase db;
        // Every extension the viewer opens (including ones that may be added to
        // the table later) must be claimed by its MIME type...
        const QStringList candidates{"jpg", "jpeg", "jpe", "bmp", "gif", "ico", "wmf", "emf", "png", "tif",
                                     "tiff", "webp", "svg", "heic", "heif", "avif", "jxl", "htm", "html",
                                     "mpg", "mpeg", "avi", "asf", "wmv", "mp4", "mkv", "webm", "mov", "ogv",
                                     "mp3", "wav", "mid", "midi", "au", "ogg", "oga", "flac", "opus", "m4a", "aac", "m4v",
                                     "swf", "txt", "log", "ini"};
        QSet<QString> needed;
        for (const QString &ext : candidates) {
            if (mediaKindOf(ExtensionKey("x." + ext)) == MediaKind::Other)
                continue;
            const QMimeType type = db.mimeTypeForFile("x." + ext, QMimeDatabase::MatchExtension);
            QVERIFY2(claimed.contains(type.name()), qPrintable(ext + " opens as " + type.name() + ", not claimed"));
            needed.insert(type.name());
        }
        // ...and nothing else is claimed: a file manager would offer Glintwave
        // for files it shows as "other".
        for (const QString &name : claimed)
            QVERIFY2(needed.contains(name), qPrintable(name + " is claimed but opens as nothing"));
    }
};

QTEST_GUILESS_MAIN(TestDesktopFiles)
#include "tst_desktopfiles.moc"
