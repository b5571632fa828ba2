// The main window: the type boxes, the address box, and a restart that
// brings back what the last run left.
#include "AppState.h"
#include "FileListModel.h"
#include "OptionSet.h"
#include "SettingsStore.h"
#include "frmMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
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
        const QList<QPair<const char *, int>> files = {{"b.jpg", 300}, {"A.JPG", 20}, {"song.mp3", 1000},
            {"notes.txt", 5}, {"clip.wmf", 7}, {"other.png", 9}, {".hidden.jpg", 1}};
        for (const auto &f : files)
            touch(media + "/" + f.first, f.second);
        ini = dir.filePath("settings/Glintwave.ini");
        QDir::setCurrent(media);
    }

    void init() { QFile::remove(ini); } // each case starts from an empty store

    void typeBoxesChooseTheFiles()
    {
        auto w = start();
        QCOMPARE(w->currentFolder(), media);   // the first start opens the current folder
        QVERIFY(w->mnuListAction->isChecked());
        // WMF is not ticked by default, PNG matches no box.
        QCOMPARE(listed(*w), QStringList({"A.JPG", "b.jpg", "notes.txt", "song.mp3"}));
        QCOMPARE(w->lblFileCount->text(), QString(" 4 files in list"));
        QCOMPARE(w->state().FileCount, 4);

        w->chkFilter[0]->setChecked(true);   // All Files
        w->chkFilter_Click(0);
        QCOMPARE(listed(*w).size(), 6);
        QVERIFY(!w->chkFilter[6]->isEnabledTo(w->picOptions[2]));
        w->txtFilter->setText("*.PNG");
        w->chkFilter[0]->setChecked(false);
        w->chkFilter_Click(0); // unticking: the custom pattern is not added
        QVERIFY(w->chkFilter[6]->isEnabledTo(w->picOptions[2]));
        QVERIFY(!listed(*w).contains("other.png"));
        w->txtFilter_Enter(); // Enter brings it back
        QVERIFY(listed(*w).contains("other.png"));
        // Switching tabs never rebuilds and enables exactly one page.
        const QStringList before = listed(*w);
        w->tbsMedia->setCurrentIndex(2);
        QVERIFY(w->picOptions[2]->isEnabled() && !w->picOptions[0]->isEnabled());
        QCOMPARE(listed(*w), before);
        w->close();
    }

    void addressBoxAndFolders()
    {
        auto w = start();
        w->goToFolder(media + "/sub/");
        QCOMPARE(w->currentFolder(), media + "/sub");
        QCOMPARE(w->lblFileCount->text(), QString(" 0 files in list"));
        QCOMPARE(w->cboAddress->itemText(0), media + "/sub");
        w->goToFolder(media);
        QCOMPARE(w->cboAddress->itemText(0), media + "/sub"); // not moved to the top
        w->goToFolder(media + "/nothing");   // a folder that does not exist: nothing changes
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
            w->goToFolder(media + "/sub");
            w->chkFilter[15]->setChecked(true);
            w->chkFilter[2]->setChecked(false);
            w->txtFilter->setText("*.PNG");
            w->grdPics->setColumnWidth(0, 123);
            w->mnuDetail_Click();
            w->close(); // unload writes the options
        }
        QSettings raw(ini, QSettings::IniFormat);
        QCOMPARE(raw.value("Settings/Filter").toString(), QString("0101111111111111"));
        QCOMPARE(raw.value("Settings/DetailedCol0").toString(), QString("1845"));   // twips

        auto w = start();
        QCOMPARE(w->size(), QSize(700, 500));
        QCOMPARE(w->currentFolder(), media + "/sub");
        QVERIFY(w->mnuDetailAction->isChecked() && w->grdPics->isVisible());
        QVERIFY(w->chkFilter[15]->isChecked() && !w->chkFilter[2]->isChecked());
        QCOMPARE(w->grdPics->columnWidth(0), 123);
        QVERIFY(w->lstPics.pattern().endsWith(";*.WMF;*.PNG"));
        w->close();
    }

    void cleanupTestCase() { QDir::setCurrent(QDir::tempPath()); }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
