// Files known by their content: the extension tables first, the first bytes
// only where those tables say text or unknown. Real files made by the tools.
#include "browser/ContentKind.h"
#include "browser/MediaTypes.h"
#include "TodaysMedia.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "TestFiles.h"

class TestContentKind : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QMap<QString, QString> made;   // kind -> file with its own extension

    QString copyAs(const QString &kind, const QString &name)
    {
        const QString to = dir.filePath(name);
        QFile::remove(to);
        if (!QFile::copy(made.value(kind), to))
            return {};
        return to;
    }
    QString text(const QString &name, const QByteArray &content)
    {
        return testfiles::writeFile(dir.filePath(name), content) ? dir.filePath(name) : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QString error;
        for (const QStringList &kinds :
             {todaysmedia::pictureKinds(), todaysmedia::audioKinds(), todaysmedia::videoKinds()})
            for (const QString &kind : kinds) {
                const QString path = todaysmedia::make(dir.path(), kind, &error, "own-" + kind);
                QVERIFY2(!path.isEmpty(), qPrintable(error));
                made.insert(kind, path);
            }
    }

    // Every new format is known by its bytes as the kind its name gives, so
    // any of them renamed opens as what it is.
    void everyNewFormatIsKnownByContent_data()
    {
        QTest::addColumn<QString>("kind");
        for (const QStringList &kinds :
             {todaysmedia::pictureKinds(), todaysmedia::audioKinds(), todaysmedia::videoKinds()})
            for (const QString &kind : kinds)
                QTest::newRow(qPrintable(kind)) << kind;
    }
    void everyNewFormatIsKnownByContent()
    {
        QFETCH(QString, kind);
        const MediaKind byName = mediaKindOf(kind.toUpper());
        const QString bare = copyAs(kind, "renamed-" + kind);
        QCOMPARE(int(ContentKind::sniff(bare)), int(byName));
        QCOMPARE(int(ContentKind::mediaKindOfFile(bare)), int(byName));
        const int thumb = byName == MediaKind::Picture ? 0 : byName == MediaKind::Audio ? 3 : 2;
        QCOMPARE(ContentKind::thumbnailSourceOfFile(bare), thumb);
    }

    void textStaysText()
    {
        // Text that merely mentions a format's magic words stays what it was.
        const QString readme = text("README", "PNG files start with \\x89PNG; RIFF WAVE; ftypheic\n");
        QCOMPARE(int(ContentKind::mediaKindOfFile(readme)), int(MediaKind::Other));
        QCOMPARE(ContentKind::thumbnailSourceOfFile(readme), 1);
        const QString svgAsLog = text("drawing.log", todaysmedia::svgText().toUtf8());
        QCOMPARE(int(ContentKind::mediaKindOfFile(svgAsLog)), int(MediaKind::Picture));
        QCOMPARE(int(ContentKind::mediaKindOfFile(dir.filePath("missing"))), int(MediaKind::Other));
    }

    // Names the tables know keep their own kind, whatever the bytes say: the
    // content is only asked where the name says text or nothing.
    void namesTheTablesKnowAreNotOverruled()
    {
        const QString pngAsMp3 = copyAs("png", "song.mp3");
        QCOMPARE(int(ContentKind::mediaKindOfFile(pngAsMp3)), int(MediaKind::Audio));
        QCOMPARE(ContentKind::thumbnailSourceOfFile(pngAsMp3), 3);
    }
};

QTEST_GUILESS_MAIN(TestContentKind)
#include "tst_contentkind.moc"
