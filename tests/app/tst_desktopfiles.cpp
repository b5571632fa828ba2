// What the desktop is told about Glintwave: the menu entry claims exactly the
// types the program opens and passes file names safely; both files are valid.
#include "MediaTypes.h"
#include "TodaysMedia.h"

#include <QMimeDatabase>
#include <QtTest>

namespace {
QString desktopValue(const QString &key)
{
    QFile f(GW_SOURCE_DIR "/data/glintwave.desktop");
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key.toUtf8() + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    return QString();
}

} // namespace

class TestDesktopFiles : public QObject {
    Q_OBJECT
private slots:
    void entryClaimsTheTypesTheViewerOpens()
    {
        const QStringList claimed = desktopValue("MimeType").split(';', Qt::SkipEmptyParts);
        QVERIFY(!claimed.isEmpty());
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

    void validatorsAcceptBothFiles()
    {
        // "--" keeps a file named "-x.jpg" from being taken for an option.
        QCOMPARE(desktopValue("Exec"), QStringLiteral("glintwave -- %F"));
        QString error;
        QVERIFY2(todaysmedia::runTool("desktop-file-validate", {GW_SOURCE_DIR "/data/glintwave.desktop"}, &error),
                 qPrintable(error));
        QVERIFY2(todaysmedia::runTool("appstreamcli", {"validate", "--no-net", GW_SOURCE_DIR "/data/glintwave.metainfo.xml"},
                                      &error),
                 qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestDesktopFiles)
#include "tst_desktopfiles.moc"
