#include "AppState.h"
#include "DetailModel.h"
#include "FileListModel.h"
#include "OptionSet.h"
#include "SettingsStore.h"
#include "frmMain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {
void touch(const QString &path, int bytes = 1)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(bytes, 'x'));
}

QStringList listed(frmMain &w) { return w.listModel()->names(); }
} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString media;
    QString ini;

    std::unique_ptr<frmMain> start()
    {
        auto w = std::make_unique<frmMain>(std::make_shared<SettingsStore>(ini));
        w->Form_Load();
        w->show();
        return w;
    }

private slots:
    void initTestCase()
    {
        media = dir.filePath("media");
        QVERIFY(QDir().mkpath(media + "/sub"));
        touch(media + "/b.jpg", 300);
        touch(media + "/A.JPG", 20);
        touch(media + "/song.mp3", 1000);
        touch(media + "/notes.txt", 5);
        touch(media + "/clip.wmf", 7);
        touch(media + "/other.pcx", 9);
        touch(media + "/.hidden.jpg");
        ini = dir.filePath("settings/Glintwave.ini");
        QDir::setCurrent(media);
    }

    void init() { QFile::remove(ini); } // each case starts from an empty store

    void firstStartUsesDefaults()
    {
        auto w = start();
        QCOMPARE(w->currentFolder(), media);
        QVERIFY(w->mnuListAction->isChecked());
        QVERIFY(!w->chkFilter[0]->isChecked());
        QVERIFY(!w->chkFilter[15]->isChecked());
        QVERIFY(w->chkFilter[3]->isChecked());
        // WMF is not ticked by default, PCX matches no box.
        QCOMPARE(listed(*w), QStringList({"A.JPG", "b.jpg", "notes.txt", "song.mp3"}));
        QCOMPARE(w->lblFileCount->text(), QString(" 4 files in list"));
        QCOMPARE(w->state().FileCount, 4);
        QCOMPARE(w->lstPics.pattern(),
                 QString("*.AVI;*.GIF;*.JPG;*.JPEG;*.MP3;*.MPG;*.MPEG;*.BMP;*.WAV;*.MID;*.MIDI;"
                         "*.TXT;*.HTM;*.HTML;*.ASF;*.AU;*.ICO;*.SWF;"
                         "*.PNG;*.WEBP;*.TIF;*.TIFF;*.SVG;*.HEIC;*.HEIF;*.AVIF;"
                         "*.OGG;*.OGA;*.OPUS;*.FLAC;*.M4A;*.AAC;*.MP4;*.M4V;*.MKV;*.WEBM;*.MOV;*.OGV"));
        w->close();
    }

    void filtersAndAllFiles()
    {
        auto w = start();
        w->chkFilter[0]->setChecked(true);
        w->chkFilter_Click(0);
        QCOMPARE(w->lstPics.pattern(), QString("*.*"));
        QCOMPARE(listed(*w).size(), 6);
        QVERIFY(!w->chkFilter[6]->isEnabledTo(w->picOptions[2]));
        w->txtFilter->setText("*.PCX");
        w->chkFilter[0]->setChecked(false);
        w->chkFilter_Click(0); // unticking: the custom pattern is not added
        QVERIFY(w->chkFilter[6]->isEnabledTo(w->picOptions[2]));
        QVERIFY(!listed(*w).contains("other.pcx"));
        w->txtFilter_Enter(); // Enter brings it back
        QVERIFY(listed(*w).contains("other.pcx"));
        // Switching tabs never rebuilds and shows exactly one page.
        const QStringList before = listed(*w);
        w->tbsMedia->setCurrentIndex(2);
        QVERIFY(w->picOptions[2]->isEnabled());
        QVERIFY(!w->picOptions[0]->isEnabled());
        QCOMPARE(w->picOptions[0]->x(), -20000);
        QCOMPARE(w->picOptions[2]->x(), w->tbsMedia->x() + 4);
        QCOMPARE(listed(*w), before);
        w->close();
    }

    void detailedViewAndSorting()
    {
        auto w = start();
        w->mnuDetail_Click();
        QVERIFY(w->grdPics->isVisible());
        QVERIFY(!w->lvPics->isVisible());
        DetailModel *m = w->detailModel();
        QCOMPARE(m->dataRowCount(), 4);
        // Descending by name at first start.
        QCOMPARE(m->rows().first().name, QString("song.mp3"));
        // Left click on "File Size": ascending by size.
        QHeaderView *h = w->grdPics->horizontalHeader();
        const int x = h->sectionSize(0) + h->sectionSize(1) / 2;
        QTest::mousePress(h->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
        QCOMPARE(w->options().SortCol, 1);
        QCOMPARE(w->options().SortDir, 1);
        QStringList sizes;
        for (const auto &r : m->rows())
            sizes << r.size;
        QCOMPARE(sizes, QStringList({" 5", " 20", " 300", " 1000"}));
        QTest::mousePress(h->viewport(), Qt::RightButton, {}, QPoint(x, 5));
        QCOMPARE(m->rows().first().name, QString("song.mp3"));
        QCOMPARE(m->rows()[0].type, QString("MP3 audio"));
        // Back to List: the list rebuilds, the hidden grid keeps only its empty row.
        w->mnuList_Click();
        QCOMPARE(m->rowCount(), 1);
        QCOMPARE(listed(*w).size(), 4);
        w->close();
    }

    void addressBoxAndFolders()
    {
        auto w = start();
        w->goToFolder(media + "/sub/");
        QCOMPARE(w->currentFolder(), media + "/sub");
        QCOMPARE(w->lblFileCount->text(), QString(" 0 files in list"));
        QCOMPARE(w->cboAddress->currentText(), media + "/sub");
        QCOMPARE(w->cboAddress->itemText(0), media + "/sub");
        w->goToFolder(media);
        QCOMPARE(w->cboAddress->itemText(0), media + "/sub"); // not moved to the top
        // A folder that does not exist: nothing changes.
        w->goToFolder(media + "/nothing");
        QCOMPARE(w->currentFolder(), media);
        // Completion while typing.
        QLineEdit *edit = w->cboAddress->lineEdit();
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, media.left(4));
        QCOMPARE(edit->text(), media + "/sub");
        QCOMPARE(edit->cursorPosition(), 4);
        // A folder that vanishes under the list: a refresh lists nothing, no crash.
        QTemporaryDir gone;
        touch(gone.path() + "/x.jpg");
        w->goToFolder(gone.path());
        QCOMPARE(listed(*w), QStringList({"x.jpg"}));
        gone.remove();
        w->mnuRefresh_Click();
        QCOMPARE(listed(*w), QStringList());
        w->close();
    }

    void restartRestoresEverything()
    {
        {
            auto w = start();
            w->resize(700, 500);
            w->move(40, 30);
            w->goToFolder(media + "/sub");
            w->chkFilter[15]->setChecked(true);
            w->chkFilter[2]->setChecked(false);
            w->txtFilter->setText("*.PNG");
            w->grdPics->setColumnWidth(0, 123);
            w->grdPics->setColumnWidth(3, 77);
            w->mnuDetail_Click();
            QTest::qWait(50);
            w->close(); // unload writes the options
        }
        QSettings raw(ini, QSettings::IniFormat);
        QCOMPARE(raw.value("Settings/View").toString(), QString("1"));
        QCOMPARE(raw.value("Settings/Filter").toString(), QString("0111111111111111111").replace(2, 1, "0"));
        QCOMPARE(raw.value("Settings/DetailedCol0").toString(), QString("1845"));

        auto w = start();
        QCOMPARE(w->width(), 700);
        QCOMPARE(w->height(), 500);
        QCOMPARE(w->currentFolder(), media + "/sub");
        QVERIFY(w->mnuDetailAction->isChecked());
        QVERIFY(w->grdPics->isVisible());
        QVERIFY(w->chkFilter[15]->isChecked());
        QVERIFY(!w->chkFilter[2]->isChecked());
        QCOMPARE(w->txtFilter->text(), QString("*.PNG"));
        QCOMPARE(w->grdPics->columnWidth(0), 123);
        QCOMPARE(w->grdPics->columnWidth(3), 77);
        QVERIFY(w->lstPics.pattern().contains(";*.WMF;*.PNG;"));
        QVERIFY(w->lstPics.pattern().endsWith(";*.OGV;*.PNG"));
        w->close();
    }

    void resizeKeepsTheRightColumn()
    {
        auto w = start();
        for (int width : {460, 800, 1200}) {
            w->resize(width, 500);
            QCoreApplication::processEvents();
            const int client = w->centralWidget()->width();
            QCOMPARE(client - w->tbsMedia->x(), 125);
            QCOMPARE(w->lvPics->width(), client - 278);
            QCOMPARE(w->cmdGo->x(), client - 28);
        }
        w->resize(100, 100); // snaps to the minimum size
        QVERIFY(w->width() >= 453 && w->height() >= 373);
        w->close();
    }

    void cleanupTestCase() { QDir::setCurrent(QDir::tempPath()); }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
