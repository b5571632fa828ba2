// Files that could hurt, opened as the program opens a file named on its
// command line: a huge file of no known kind, and pictures whose headers
// claim far more pixels than their bytes could hold.
#include "app/frmMain.h"
#include "TestParts.h"
#include "core/SettingsStore.h"
#include "viewer/TextLines.h"
#include "viewer/ui/frmMedia.h"

#include "PeakMemory.h"
#include "TestFiles.h"
#include "TodaysMedia.h"

#include <QLabel>
#include <QListView>
#include <QProcess>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include "TestPictures.h"

namespace {
qint64 peakMemoryMb() { return testmemory::peakMemoryKb() / 1024; }

// Remembers how many entries the text list held when the viewer first showed.
class ShowWatch : public QObject {
public:
    explicit ShowWatch(frmMedia *viewer) : m_viewer(viewer) { viewer->installEventFilter(this); }
    int rowsAtShow = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_viewer && event->type() == QEvent::Show && rowsAtShow < 0)
            rowsAtShow = m_viewer->lstMediaModel->rowCount();
        return false;
    }

private:
    frmMedia *m_viewer;
};
} // namespace

class TestHeavyFiles : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    std::unique_ptr<frmMain> openFromCommandLine(const QString &path)
    {
        auto w = std::make_unique<frmMain>(std::make_shared<SettingsStore>(dir.filePath("s.ini")), testParts());
        w->state().CommandLine = path;
        w->loadOptionsOnly();
        return w;
    }

private slots:
    // "glintwave disk.img" on a 3 GB file: the viewer shows at once, before
    // the file is read, and the start of the file is all that is read.
    void hugeFileOfNoKnownKindShowsItsStartAtOnce()
    {
        const QString path = dir.filePath("disk.img");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.write("first line\n") > 0);
            QVERIFY(f.resize(qint64(3) << 30));   // sparse: costs no disk
        }
        auto w = openFromCommandLine(path);
        frmMedia *v = w->viewer();
        ShowWatch watch(v);
        const qint64 before = peakMemoryMb();
        w->ShowMedia();
        QVERIFY(v->isVisible() && v->lstMedia->isVisible());
        QCOMPARE(watch.rowsAtShow, 2);   // the path and the empty line: the lines were not read yet
        QTRY_VERIFY(v->lstMediaModel->rowCount() > 2);
        const QStringList shown = v->lstMediaModel->stringList();
        QCOMPARE(shown.value(0), path);
        QCOMPARE(shown.value(2), QStringLiteral("first line"));
        QCOMPARE(shown.last(), TextLines::cutNote());
        QVERIFY2(peakMemoryMb() - before < 500, qPrintable(QString::number(peakMemoryMb() - before) + " MB"));
        v->close();
    }

    // What a long text file shows: its first lines, then a line saying the
    // rest is not shown; a file that fits shows whole, without that line.
    void longTextShowsItsStart()
    {
        QByteArray lines;
        for (int i = 1; i <= 5000; ++i)
            lines += "line " + QByteArray::number(i) + "\n";
        QVERIFY(testfiles::writeFile(dir.filePath("long.txt"), lines));
        TextExcerpt text = readTextExcerpt(dir.filePath("long.txt"));
        QCOMPARE(text.lines.size(), TextLines::MaxLines + 1);
        QCOMPARE(text.lines.at(TextLines::MaxLines - 1), QStringLiteral("line 2000"));
        QCOMPARE(text.lines.last(), TextLines::cutNote());

        // Exactly as many lines as are shown: nothing is left out.
        QVERIFY(testfiles::writeFile(dir.filePath("fits.txt"), lines.left(lines.indexOf("line 2001"))));
        text = readTextExcerpt(dir.filePath("fits.txt"));
        QCOMPARE(text.lines.size(), TextLines::MaxLines);
        QVERIFY(!text.cut);

        // Cut in the middle of a two-byte character: still read as UTF-8.
        const QByteArray accents = "x" + QByteArray("\xc3\xa9").repeated(int(TextLines::MaxBytes));
        QVERIFY(testfiles::writeFile(dir.filePath("accents.txt"), accents));
        text = readTextExcerpt(dir.filePath("accents.txt"));
        QCOMPARE(text.lines.size(), 2);
        QCOMPARE(text.lines.first(), "x" + QString(QChar(0xe9)).repeated(int(TextLines::MaxBytes / 2) - 1));
        QCOMPARE(text.lines.last(), TextLines::cutNote());
    }

    // A small HEIC or AVIF whose header claims a huge picture is refused
    // before anything is allocated, and the viewer names the file.
    void tinyHeifClaimingAHugePictureIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("side");
        QTest::newRow("heic") << "claims.heic" << QStringList() << 16000;
        QTest::newRow("avif") << "claims.avif" << QStringList{"-A"} << 30000;
    }
    void tinyHeifClaimingAHugePictureIsRefused()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, options);
        QFETCH(int, side);
        QImage small = testpictures::solid(64, 48, QColor(200, 40, 40));
        const QString png = dir.filePath("small.png"), path = dir.filePath(name);
        QVERIFY(small.save(png));
        QString error;
        QVERIFY2(todaysmedia::runTool("heif-enc", options + QStringList{"-q", "50", png, "-o", path}, &error),
                 qPrintable(error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        f.close();
        QVERIFY2(bytes.size() < 4096, qPrintable(QString::number(bytes.size())));
        int patched = 0;
        for (int at = bytes.indexOf("ispe"); at >= 0; at = bytes.indexOf("ispe", at + 4), ++patched) {
            qToBigEndian<quint32>(side, bytes.data() + at + 8);
            qToBigEndian<quint32>(side, bytes.data() + at + 12);
        }
        QVERIFY(patched > 0);
        QVERIFY(testfiles::writeFile(path, bytes));

        auto w = openFromCommandLine(path);
        const qint64 before = peakMemoryMb();
        w->ShowMedia();
        frmMedia *v = w->viewer(false);
        QVERIFY(v);
        QVERIFY(v->waitForPicture());
        QTRY_VERIFY(v->lblProblem->isVisible());
        const QString claim = QStringLiteral("%1 x %1 pixels").arg(side);
        QVERIFY2(v->lblProblem->text().startsWith("Cannot show \"" + name + "\": damaged picture")
                     && v->lblProblem->text().contains(claim),
                 qPrintable(v->lblProblem->text()));
        QVERIFY2(peakMemoryMb() - before < 100, "the refused picture was allocated");
        v->close();
    }
};

QTEST_MAIN(TestHeavyFiles)
#include "tst_heavyfiles.moc"
