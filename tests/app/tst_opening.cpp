// Opening entries from the main window: by kind, the disk error, a list of
// one, names that are not UTF-8.
#include "AppState.h"
#include "DetailModel.h"
#include "FileListModel.h"
#include "OptionSet.h"
#include "PictureBox.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "frmMedia.h"

#include <QCheckBox>
#include <QListView>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QtTest>
#include "../info/WhenModal.h"

#include <fcntl.h>
#include <unistd.h>

namespace {
void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

void closeViewer(frmMain *w)
{
    if (frmMedia *v = w->viewer(false))
        v->close();
    QCoreApplication::processEvents();
}
} // namespace

class TestOpening : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<frmMain> w;

    frmMedia *open(const QString &name) { return open(w->listModel()->names().indexOf(name) + 1); }
    frmMedia *open(int entry)
    {
        w->selectEntry(entry);
        w->ShowMedia();
        frmMedia *v = w->viewer(false);
        if (v)
            v->waitForPicture();   // decoded on a worker
        return v;
    }

private slots:
    void initTestCase()
    {
        QImage picture(64, 32, QImage::Format_RGB32);
        picture.fill(QColor(10, 200, 30));
        QVERIFY(picture.save(dir.filePath("green.jpg"), "JPEG"));
        QVERIFY(picture.save(dir.filePath("green.bmp"), "BMP"));
        writeFile(dir.filePath("notes.txt"), "first line\nsecond line\n");
        writeFile(dir.filePath("server.log"), "log line\n");
        writeFile(dir.filePath("broken.jpg"), QByteArray("\xff\xd8\xff\xe0garbage", 12));
        writeFile(dir.filePath("song.mp3"), "not really");
        w = std::make_unique<frmMain>(std::make_shared<SettingsStore>(dir.filePath("s.ini")));
        w->Form_Load();
        w->show();
        w->chkFilter[0]->setChecked(true); // "All Files"
        w->chkFilter_Click(0);
        w->goToFolder(dir.path());
    }

    void eachKindOpensItsWay()
    {
        w->lvPics->selectionModel()->clearSelection();   // nothing selected: nothing opens
        w->ShowMedia();
        QVERIFY(!w->viewer(false));

        frmMedia *v = open("green.bmp");
        QVERIFY(v && v->isVisible() && v->picMedia->isVisible() && !v->lstMedia->isVisible());
        QCOMPARE(v->picMedia->picture().size(), QSize(64, 32));
        // A damaged picture keeps what was shown.
        QCOMPARE(open("broken.jpg"), v);
        QCOMPARE(v->picMedia->picture().size(), QSize(64, 32));
        closeViewer(w.get());

        v = open("notes.txt");
        QVERIFY(v && v->lstMedia->isVisible());
        QCOMPARE(v->lstMediaModel->stringList(),
                 QStringList({dir.filePath("notes.txt"), "", "first line", "second line"}));
        // An unknown kind follows the option: as text, or not at all.
        w->options().UnknownAsText = true;
        open("server.log");
        QCOMPARE(v->lstMediaModel->stringList().first(), dir.filePath("server.log"));
        closeViewer(w.get());
        w->options().UnknownAsText = false;
        QVERIFY(!open("server.log"));
        w->options().UnknownAsText = true;
    }

    void missingFileGivesTheDiskError()
    {
        writeFile(dir.filePath("gone.jpg"), "x");
        w->mnuRefresh_Click();
        w->selectEntry(w->listModel()->names().indexOf("gone.jpg") + 1);
        QFile::remove(dir.filePath("gone.jpg"));
        BoxWatch boxes;
        w->ShowMedia();
        QCOMPARE(boxes.texts, QStringList{"Disk error: Unable to read file from disk"});
        QVERIFY(!w->viewer(false));
        w->mnuRefresh_Click();
    }

    void randomWithOneFileOpensIt()
    {
        w->chkFilter[0]->setChecked(false);
        w->chkFilter_Click(0);
        for (int i = 1; i < 16; ++i)
            w->chkFilter[i]->setChecked(i == 6);
        w->chkFilter_Click(6); // only *.BMP
        QCOMPARE(w->listModel()->names(), QStringList({"green.bmp"}));
        for (int i = 0; i < 5; ++i) {
            w->cmdRandom_Click();
            QCOMPARE(w->currentEntry(), 1);
        }
        QVERIFY(w->viewer(false));
        closeViewer(w.get());
    }

    void namesThatAreNotUtf8()
    {
        // Latin-1 names, as old archives and FAT sticks hold them: two that
        // show alike (one replacement character each) and a text file.
        const QString folder = dir.filePath("latin1");
        QVERIFY(QDir().mkpath(folder));
        const QByteArray base = QFile::encodeName(folder) + '/';
        auto put = [&](const QImage &picture, const QByteArray &name) {
            QVERIFY(picture.save(folder + "/tmp.bmp", "BMP"));
            QCOMPARE(::rename((base + "tmp.bmp").constData(), (base + name).constData()), 0);
        };
        QImage wide(80, 20, QImage::Format_RGB32), tall(20, 60, QImage::Format_RGB32);
        wide.fill(Qt::red);
        tall.fill(Qt::blue);
        put(wide, "caf\xe9.bmp");
        put(tall, "caf\xe8.bmp");
        {
            QFile text;
            const int fd = ::open((base + "r\xe9sum\xe9.txt").constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0 && text.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
            text.write("ligne une\n");
        }
        w->chkFilter[0]->setChecked(true);
        w->chkFilter_Click(0);
        w->goToFolder(folder);
        QCOMPARE(w->state().FileCount, 3);
        const QString cafe = QString("caf") + QChar(0xFFFD) + ".bmp";
        QCOMPARE(w->listModel()->names(),
                 QStringList({cafe, cafe, QString("r%1sum%1.txt").arg(QChar(0xFFFD))}));

        // Each opens as itself, in the order of their bytes (\xe8 before \xe9).
        frmMedia *v = open(1);
        QVERIFY(v);
        QCOMPARE(v->picMedia->picture().size(), QSize(20, 60));
        QCOMPARE(open(2)->picMedia->picture().size(), QSize(80, 20));
        open(3);
        QCOMPARE(v->lstMediaModel->stringList().mid(2), QStringList({"ligne une"}));
        QVERIFY(v->lstMediaModel->stringList().first().endsWith(QString("r%1sum%1.txt").arg(QChar(0xFFFD))));
        closeViewer(w.get());

        // The Detailed view reads their details; the thumbnails show them.
        w->mnuDetail_Click();
        QCOMPARE(w->detailModel()->dataRowCount(), 3);
        for (const DetailRow &row : w->detailModel()->rows())
            QVERIFY2(!row.size.isEmpty(), qPrintable(row.name));
        w->mnuThumbs_Click();
        QTRY_COMPARE_WITH_TIMEOUT(w->listModel()->rowCount(), 3, 10000);
        QCOMPARE(open(2)->picMedia->picture().size(), QSize(80, 20));
        closeViewer(w.get());
        w->mnuList_Click();
        w->goToFolder(dir.path());
        for (const char *name : {"caf\xe9.bmp", "caf\xe8.bmp", "r\xe9sum\xe9.txt"})
            ::unlink((base + name).constData()); // QTemporaryDir cannot remove them by name
    }

    void cleanupTestCase()
    {
        closeViewer(w.get());
        w.reset();
    }
};

QTEST_MAIN(TestOpening)
#include "tst_opening.moc"
