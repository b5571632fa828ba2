// Opening entries from the main window: by kind, the disk error, the
// thumbnail view with a damaged picture, stepping limits.
#include "AppState.h"
#include "FileListModel.h"
#include "OptionSet.h"
#include "PictureBox.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "frmMedia.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// Closes the next message box and reports its title and text.
struct MessageCatcher {
    QString title, text;
    void arm()
    {
        QTimer::singleShot(50, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                title = box->windowTitle();
                text = box->text();
                box->accept();
            }
        });
    }
};

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

    void selectByName(const QString &name)
    {
        const int row = w->listModel()->names().indexOf(name);
        QVERIFY(row >= 0);
        w->selectEntry(row + 1);
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

    void nothingSelectedOpensNothing()
    {
        w->lvPics->selectionModel()->clearSelection();
        w->ShowMedia();
        QVERIFY(!w->viewer(false));
    }

    void pictureOpensInTheViewer()
    {
        selectByName("green.bmp");
        w->ShowMedia();
        frmMedia *v = w->viewer(false);
        QVERIFY(v && v->isVisible());
        QVERIFY(v->waitForPicture());   // decoded on a worker
        QCOMPARE(v->picMedia->picture().size(), QSize(64, 32));
        QVERIFY(v->picMedia->isVisible());
        QVERIFY(!v->lstMedia->isVisible());
        closeViewer(w.get());
        QVERIFY(!w->viewer(false));
    }

    void textOpensAsLines()
    {
        selectByName("notes.txt");
        w->ShowMedia();
        frmMedia *v = w->viewer(false);
        QVERIFY(v && v->lstMedia->isVisible());
        QCOMPARE(v->lstMediaModel->stringList(),
                 QStringList({dir.filePath("notes.txt"), "", "first line", "second line"}));
        // Another text file while the viewer is open replaces the lines.
        selectByName("server.log");
        w->options().UnknownAsText = true;
        w->ShowMedia();
        QCOMPARE(v->lstMediaModel->stringList().first(), dir.filePath("server.log"));
        QCOMPARE(v->lstMediaModel->stringList().size(), 3);
        closeViewer(w.get());
    }

    void unknownKindFollowsTheOption()
    {
        selectByName("server.log");
        w->options().UnknownAsText = false;
        w->ShowMedia();
        QVERIFY(!w->viewer(false));
        w->options().UnknownAsText = true;
    }

    void missingFileGivesTheDiskError()
    {
        writeFile(dir.filePath("gone.jpg"), "x");
        w->mnuRefresh_Click();
        selectByName("gone.jpg");
        QFile::remove(dir.filePath("gone.jpg"));
        MessageCatcher catcher;
        catcher.arm();
        w->ShowMedia();
        QCOMPARE(catcher.title, QString("Disk error"));
        QCOMPARE(catcher.text, QString("Unable to read file from disk"));
        QVERIFY(!w->viewer(false));
        w->mnuRefresh_Click();
    }

    void damagedPictureKeepsWhatWasShown()
    {
        selectByName("green.jpg");
        w->ShowMedia();
        frmMedia *v = w->viewer(false);
        QVERIFY(v && v->waitForPicture());
        const QSize before = v->picMedia->picture().size();
        QVERIFY(!before.isEmpty());
        selectByName("broken.jpg");
        w->ShowMedia();
        QVERIFY(v->waitForPicture());
        QCOMPARE(v->picMedia->picture().size(), before);
        closeViewer(w.get());
    }

    void thumbnailViewLeavesOutDamagedPictures()
    {
        w->mnuThumbs_Click();
        QTRY_COMPARE_WITH_TIMEOUT(w->listModel()->rowCount(), 5, 10000);
        // Six files listed; the damaged JPEG gets no item but still counts.
        QCOMPARE(w->state().FileCount, 6);
        QCOMPARE(w->lblFileCount->text(), QString(" 6 files in list"));
        QVERIFY(!w->listModel()->names().contains("broken.jpg"));
        QCOMPARE(w->entryCount(), 5); // stepping stays inside what the view holds
        const QVariant picture = w->listModel()->data(w->listModel()->index(0), Qt::DecorationRole);
        QCOMPARE(picture.value<QPixmap>().size(), QSize(100, 100));
        // Next-entry stepping from the last item goes nowhere.
        w->selectEntry(5);
        w->selectEntry(6);
        QCOMPARE(w->currentEntry(), 5);
        w->mnuList_Click();
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

    void cleanupTestCase()
    {
        closeViewer(w.get());
        w.reset();
    }
};

QTEST_MAIN(TestOpening)
#include "tst_opening.moc"
