// The main window: the type boxes, the address box, a restart that brings
// back what the last run left, and the files it writes.
#include "AppState.h"
#include "DetailModel.h"
#include "FileListModel.h"
#include "OptionSet.h"
#include "PictureBox.h"
#include "ReadOnlyFolder.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "frmMedia.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QStringListModel>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include "../info/WhenModal.h"

namespace {
void touch(const QString &path, int bytes = 1)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(bytes, 'x'));
}

QStringList listed(frmMain &w) { return w.listModel()->names(); }

bool put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray get(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
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
        const QList<QPair<const char *, int>> files = {{"b.jpg", 300}, {"A.JPG", 20}, {"song.mp3", 1000},
            {"notes.txt", 5}, {"clip.wmf", 7}, {"other.pcx", 9}, {".hidden.jpg", 1}};
        for (const auto &f : files)
            touch(media + "/" + f.first, f.second);
        ini = dir.filePath("settings/Glintwave.ini");
        QDir::setCurrent(media);
    }

    void init() { QFile::remove(ini); } // each case starts from an empty store
    void cleanupTestCase() { QDir::setCurrent(QDir::tempPath()); }

    void typeBoxesChooseTheFiles()
    {
        auto w = start();
        QCOMPARE(w->currentFolder(), media);   // the first start opens the current folder
        QVERIFY(w->mnuListAction->isChecked());
        // WMF is not ticked by default, PCX matches no box.
        QCOMPARE(listed(*w), QStringList({"A.JPG", "b.jpg", "notes.txt", "song.mp3"}));
        QCOMPARE(w->state().FileCount, 4);

        w->chkFilter[0]->setChecked(true);   // All Files
        w->chkFilter_Click(0);
        QCOMPARE(listed(*w).size(), 6);
        QVERIFY(!w->chkFilter[6]->isEnabledTo(w->picOptions[2]));
        w->txtFilter->setText("*.PCX");
        w->chkFilter[0]->setChecked(false);
        w->chkFilter_Click(0); // unticking: the custom pattern is not added
        QVERIFY(w->chkFilter[6]->isEnabledTo(w->picOptions[2]));
        QVERIFY(!listed(*w).contains("other.pcx"));
        w->txtFilter_Enter(); // Enter brings it back
        QVERIFY(listed(*w).contains("other.pcx"));
        // Switching tabs never rebuilds and enables exactly one page.
        const QStringList before = listed(*w);
        w->tbsMedia->setCurrentIndex(2);
        QVERIFY(w->picOptions[2]->isEnabled() && !w->picOptions[0]->isEnabled());
        QCOMPARE(listed(*w), before);
        w->close();
    }

    void addressBoxFoldersAndCompletion()
    {
        auto w = start();
        w->goToFolder(media + "/sub/");
        QCOMPARE(w->currentFolder(), media + "/sub");
        QCOMPARE(w->cboAddress->itemText(0), media + "/sub");
        w->goToFolder(media);
        QCOMPARE(w->cboAddress->itemText(0), media + "/sub"); // not moved to the top
        w->goToFolder(media + "/nothing");   // a folder that does not exist: nothing changes
        QCOMPARE(w->currentFolder(), media);

        // Typing the parent completes to the visited folder, tail selected.
        QLineEdit *edit = w->cboAddress->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString()); // the box can be cleared
        QTest::keyClicks(edit, media);
        QCOMPARE(edit->text(), media + "/sub");
        QCOMPARE(edit->selectedText(), QString("/sub"));
        // Delete refuses the completion; Enter goes to the parent.
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), media);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(w->currentFolder(), media);
        // "/" is the beginning of every entry: it can still be reached.
        edit->selectAll();
        QTest::keyClicks(edit, "/");
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(w->currentFolder(), QString("/"));

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
            w->goToFolder(media + "/sub");
            w->chkFilter[15]->setChecked(true);
            w->chkFilter[2]->setChecked(false);
            w->txtFilter->setText("*.PNG");
            w->grdPics->setColumnWidth(0, 123);
            w->mnuDetail_Click();
            w->close(); // unload writes the options
        }
        QSettings raw(ini, QSettings::IniFormat);
        QCOMPARE(raw.value("Settings/Filter").toString(), QString("0101111111111111111"));
        QCOMPARE(raw.value("Settings/DetailedCol0").toString(), QString("1845"));   // twips

        auto w = start();
        QCOMPARE(w->size(), QSize(700, 500));
        QCOMPARE(w->currentFolder(), media + "/sub");
        QVERIFY(w->mnuDetailAction->isChecked() && w->grdPics->isVisible());
        QVERIFY(w->chkFilter[15]->isChecked() && !w->chkFilter[2]->isChecked());
        QCOMPARE(w->grdPics->columnWidth(0), 123);
        QVERIFY(w->lstPics.pattern().contains(";*.WMF;*.PNG;"));
        QVERIFY(w->lstPics.pattern().endsWith(";*.OGV;*.PNG"));
        w->close();
    }

    void unreachableGeometryIsClamped()
    {
        {
            QSettings raw(ini, QSettings::IniFormat);
            raw.setValue("Settings/MainLeft", "30000");
            raw.setValue("Settings/MainTop", "-45000");
            raw.setValue("Settings/MainHeight", "99999999");
        }
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        {
            auto w = start();
            QVERIFY(area.contains(QRect(w->pos(), w->size())));
            w->close();
        }
        // What was shown is written back, not the bad values.
        QSettings raw(ini, QSettings::IniFormat);
        QVERIFY(raw.value("Settings/MainHeight").toDouble() <= area.height() * 15);
        QVERIFY(raw.value("Settings/MainLeft").toDouble() < area.right() * 15);
        QVERIFY(raw.value("Settings/MainTop").toDouble() >= 0);
    }

    void detailedViewSortsAndOpens()
    {
        {
            QSettings raw(ini, QSettings::IniFormat);
            raw.setValue("Settings/DetailedCol1", "0");
            raw.setValue("Settings/DetailedCol2", "-300");
        }
        auto w = start();
        w->mnuDetail_Click();
        QHeaderView *h = w->grdPics->horizontalHeader();
        // A stored width of 0 or less gets the default.
        QCOMPARE(h->sectionSize(1), 1500 / 15);
        QCOMPARE(h->sectionSize(2), 2000 / 15);
        // The sort shows in the header: first start sorts by name, descending.
        QCOMPARE(h->sortIndicatorSection(), 0);
        QCOMPARE(h->sortIndicatorOrder(), Qt::DescendingOrder);
        // A press inside "Date Modified" sorts by it, and the indicator follows.
        QTest::mousePress(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(2) + 20, 5));
        QCOMPARE(w->options().SortCol, 2);
        QCOMPARE(h->sortIndicatorSection(), 2);
        QCOMPARE(h->sortIndicatorOrder(), Qt::AscendingOrder);
        // Enter opens the current row, as in the other views.
        int row = 0;
        while (row < w->detailModel()->dataRowCount() && w->detailModel()->rows()[row].name != "notes.txt")
            ++row;
        w->grdPics->setFocus();
        w->grdPics->setCurrentIndex(w->detailModel()->index(row, 0));
        QTest::keyClick(w->grdPics, Qt::Key_Return);
        QVERIFY(w->viewer(false));
        QCOMPARE(w->viewer(false)->lstMediaModel->stringList().first(), media + "/notes.txt");
        w->viewer(false)->close();
        w->close();
    }

    // What the main window writes for the user: a picture saved from the
    // viewer of a file named on the command line, and the options at exit.
    void commandLinePictureIsSavedBesideItself()
    {
        // glintwave FILE, then X: the picture's own folder, as the batch mode.
        const QString pictures = dir.filePath("pictures");
        QVERIFY(QDir().mkpath(pictures));
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(qRgb(10, 200, 30));
        QVERIFY(image.save(pictures + "/holiday.bmp"));
        QVERIFY(QDir::setCurrent(dir.path()));   // not the picture's folder

        BoxWatch boxes;
        frmMain w(std::make_shared<SettingsStore>(dir.filePath("cmd.ini")));
        w.state().CommandLine = pictures + "/holiday.bmp";
        w.loadOptionsOnly();
        w.ShowMedia();
        frmMedia *v = w.viewer(false);
        QVERIFY(v && v->isVisible());
        QTRY_COMPARE(v->picMedia->picture().size(), QSize(40, 30));
        QTest::keyClick(v, Qt::Key_X);
        QTRY_VERIFY2(QFileInfo::exists(pictures + "/gw001.bmp"), qPrintable(boxes.texts.join('\n')));
        QCOMPARE(QImage(pictures + "/gw001.bmp").convertToFormat(QImage::Format_RGB32), image);
        QTest::keyClick(v, Qt::Key_X);
        QTRY_VERIFY(QFileInfo::exists(pictures + "/gw002.bmp"));
        QVERIFY(boxes.texts.isEmpty());
        QVERIFY(!QFileInfo::exists(dir.filePath("gw001.bmp")));
        v->close();
    }

    void optionsThatCannotBeWrittenAreReported()
    {
        // The options folder became read-only during the run: closing says
        // so, with the reason, before the program ends; the old file stays.
        const QString folder = dir.filePath("config");
        QVERIFY(QDir().mkpath(folder));
        const QString stored = folder + "/Glintwave.ini";
        QVERIFY(put(stored, "[Settings]\nThumbSize=64\n"));
        auto w = std::make_unique<frmMain>(std::make_shared<SettingsStore>(stored));
        w->Form_Load();
        w->show();
        QCOMPARE(w->options().ThumbSize, 64);
        w->options().ThumbSize = 80;
        {
            ReadOnlyFolder readOnly(folder);
            if (!readOnly.ok())
                QSKIP("no way to make a folder read-only here");
            BoxWatch boxes;
            w->close();
            QCOMPARE(boxes.texts.size(), 1);
            QVERIFY2(boxes.texts.first().contains(": The options could not be saved."), qPrintable(boxes.texts.first()));
            QVERIFY2(boxes.texts.first().contains(stored), qPrintable(boxes.texts.first()));
        }
        QCOMPARE(get(stored), QByteArray("[Settings]\nThumbSize=64\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"Glintwave.ini"});
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
