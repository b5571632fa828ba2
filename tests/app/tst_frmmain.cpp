// The main window: the type boxes, the address box, and a restart that
// brings back what the last run left.
#include "AppState.h"
#include "FileListModel.h"
#include "OptionSet.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "frmMedia.h"
#include "frmFileRead.h"
#include "DetailModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QStringListModel>
#include <QHeaderView>
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
        const QList<QPair<const char *, int>> files = {{"b.jpg", 300}, {"A.JPG", 20}, {"song.mp3", 1000},
            {"notes.txt", 5}, {"clip.wmf", 7}, {"other.pcx", 9}, {".hidden.jpg", 1}};
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
        // WMF is not ticked by default, PCX matches no box.
        QCOMPARE(listed(*w), QStringList({"A.JPG", "b.jpg", "notes.txt", "song.mp3"}));
        QCOMPARE(w->lblFileCount->text(), QString(" 4 files in list"));
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

    void cleanupTestCase() { QDir::setCurrent(QDir::tempPath()); }
    void addressCompletionCanBeRefused()
    {
        auto w = start();
        w->goToFolder(media + "/sub");
        QLineEdit *edit = w->cboAddress->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString()); // the box can be cleared
        // Typing the parent completes to the visited folder, tail selected.
        QTest::keyClicks(edit, media);
        QCOMPARE(edit->text(), media + "/sub");
        QCOMPARE(edit->cursorPosition(), media.size());
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
        QCOMPARE(edit->text(), QString("/"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(w->currentFolder(), QString("/"));
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
            QVERIFY2(area.contains(w->geometry().topLeft()), qPrintable(QString("%1,%2").arg(w->x()).arg(w->y())));
            QVERIFY(w->height() <= area.height());
            QVERIFY(w->width() >= 453 && w->height() >= 373); // the minimum size holds
            QVERIFY(area.contains(QRect(w->pos(), w->size())));
            w->close();
        }
        // What was shown is written back, not the bad values.
        QSettings raw(ini, QSettings::IniFormat);
        QVERIFY(raw.value("Settings/MainHeight").toDouble() <= area.height() * 15);
        QVERIFY(raw.value("Settings/MainLeft").toDouble() < area.right() * 15);
        QVERIFY(raw.value("Settings/MainTop").toDouble() >= 0);
    }

    void detailedHeaderResizesSortsAndOpens()
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
        QVERIFY(h->isSortIndicatorShown());
        QCOMPARE(h->sortIndicatorSection(), 0);
        QCOMPARE(h->sortIndicatorOrder(), Qt::DescendingOrder);
        // A drag from the separator after "Filename" widens it and does not sort.
        const int edge = h->sectionSize(0);
        QTest::mousePress(h->viewport(), Qt::LeftButton, {}, QPoint(edge, 5));
        QTest::mouseMove(h->viewport(), QPoint(edge + 40, 5));
        QMouseEvent move(QEvent::MouseMove, QPointF(edge + 40, 5), h->viewport()->mapToGlobal(QPointF(edge + 40, 5)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(h->viewport(), &move);
        QTest::mouseRelease(h->viewport(), Qt::LeftButton, {}, QPoint(edge + 40, 5));
        QCOMPARE(h->sectionSize(0), edge + 40);
        QCOMPARE(w->options().SortCol, 0);
        QCOMPARE(w->options().SortDir, 0);
        // A press inside "Date Modified" sorts by it, and the indicator follows.
        QTest::mousePress(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(2) + 20, 5));
        QCOMPARE(w->options().SortCol, 2);
        QCOMPARE(h->sortIndicatorSection(), 2);
        QCOMPARE(h->sortIndicatorOrder(), Qt::AscendingOrder);
        // Enter opens the current row, as in the other views.
        const int row = [&] {
            for (int i = 0; i < w->detailModel()->dataRowCount(); ++i)
                if (w->detailModel()->rows()[i].name == "notes.txt")
                    return i;
            return -1;
        }();
        QVERIFY(row >= 0);
        w->grdPics->setFocus();
        w->grdPics->setCurrentIndex(w->detailModel()->index(row, 0));
        QTest::keyClick(w->grdPics, Qt::Key_Return);
        QVERIFY(w->viewer(false));
        QCOMPARE(w->viewer(false)->lstMediaModel->stringList().first(), media + "/notes.txt");
        w->viewer(false)->close();
        w->close();
    }

    void captionsAreWhole()
    {
        auto w = start();
        // Every caption of the main window fits its control.
        for (QWidget *c : w->findChildren<QWidget *>()) {
            QString text;
            if (auto *label = qobject_cast<QLabel *>(c))
                text = label->text();
            else if (auto *button = qobject_cast<QAbstractButton *>(c))
                text = button->text();
            if (text.isEmpty() || c->inherits("QToolButton"))
                continue;
            // A button's own size hint has a minimum width; its text is what must fit.
            const int need = qobject_cast<QPushButton *>(c)
                                 ? c->fontMetrics().horizontalAdvance(QString(text).remove('&')) + 6
                                 : c->sizeHint().width();
            QVERIFY2(need <= c->width(), qPrintable(text));
        }
        // Every tab shows whole, apart from its neighbours, or the bar scrolls to it.
        QTabBar *tabs = w->tbsMedia;
        for (int i = 0; i < tabs->count(); ++i) {
            const int need = tabs->fontMetrics().horizontalAdvance(tabs->tabText(i));
            QVERIFY2(tabs->tabRect(i).width() >= need + 4, qPrintable(tabs->tabText(i)));
        }
        if (tabs->tabRect(tabs->count() - 1).right() > tabs->width())
            QVERIFY(tabs->usesScrollButtons());
        w->close();
    }

    void progressWindowSitsOnItsOwner()
    {
        auto w = start();
        w->move(200, 150);
        w->mnuThumbs_Click(); // shows the thumbnail progress window at once
        auto *wait = w->findChild<frmThumbwait *>();
        QVERIFY(wait);
        wait->show(); // the build may already have finished and hidden it
        const QRect owner = w->geometry();
        QVERIFY2(qAbs(wait->geometry().center().x() - owner.center().x()) <= 4, // frame margins
                 qPrintable(QString("%1 %2 %3 %4").arg(wait->x()).arg(wait->width()).arg(owner.x()).arg(owner.width())));
        QVERIFY(wait->y() >= owner.top() + w->menuBar()->height()); // the menu bar stays free
        QVERIFY(wait->geometry().bottom() <= owner.bottom());
        wait->hide();
        w->mnuList_Click();
        w->close();
    }

};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
