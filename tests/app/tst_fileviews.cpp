// The file commands of the three views, driven by real clicks and keys, on
// real files and a Trash of the test's own; and the views following a folder
// that other programs change.
#include "app/frmMain.h"
#include "browser/DetailModel.h"
#include "browser/FileListModel.h"
#include "viewer/ui/frmMedia.h"

#include "TestFiles.h"
#include "StartedWindow.h"
#include "TestPictures.h"

#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using testfiles::readAll;

class TestFileViews : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<frmMain> w;

    // A folder of pictures a.bmp, b.bmp ... each of its own colour.
    QString folderOf(const QString &name, int count)
    {
        const QString folder = dir.filePath(name);
        QDir().mkpath(folder);
        for (int i = 0; i < count; ++i)
            testpictures::solid(8 + i, 8, QColor::fromHsv(i * 30, 200, 200))
                .save(folder + QStringLiteral("/%1.bmp").arg(QChar('a' + i)));
        return folder;
    }

    void browse(const QString &folder, void (frmMain::*view)())
    {
        w = startedWindow(dir.filePath("s.ini"));
        w->options().SortDir = 1;   // the Detailed view in the list's order
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->goToFolder(folder);
        (w.get()->*view)();
        focusedView()->setFocus();
        QTRY_VERIFY(focusedView()->hasFocus());
    }

    static void (frmMain::*viewCommand(int mode))()
    {
        return mode == 0 ? &frmMain::mnuList_Click : mode == 1 ? &frmMain::mnuDetail_Click : &frmMain::mnuThumbs_Click;
    }

    QAbstractItemView *focusedView() const
    {
        return w->options().ViewMode == 1 ? static_cast<QAbstractItemView *>(w->grdPics)
                                          : static_cast<QAbstractItemView *>(w->lvPics);
    }

    void click(int entry, Qt::KeyboardModifiers keys)
    {
        QAbstractItemView *view = focusedView();
        const QRect r = view->visualRect(view->model()->index(entry - 1, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, keys, r.center());
    }

    QStringList shown() const
    {
        QStringList names;
        for (int i = 1; i <= w->entryCount(); ++i)
            names << w->entryName(i);
        return names;
    }

    static void eachView()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("list") << 0;
        QTest::newRow("detailed") << 1;
        QTest::newRow("thumbnails") << 2;
    }

    QString problemShown() const
    {
        auto *box = w->findChild<QMessageBox *>("msgFileProblem");
        return box && box->isVisible() ? box->text() : QString();
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
        QVERIFY(QDir().mkpath(dir.filePath("data")));
    }

    void cleanup()
    {
        if (w && w->viewer(false))
            delete w->viewer(false);
        w.reset();
    }

    // Ctrl, Shift and Ctrl+A choose entries in each view without opening
    // any; a plain click still opens the one clicked.
    void severalEntriesChosenInEachView_data() { eachView(); }
    void severalEntriesChosenInEachView()
    {
        QFETCH(int, mode);
        browse(folderOf(QStringLiteral("choose%1").arg(mode), 5), viewCommand(mode));
        QTRY_COMPARE(w->entryCount(), 5);
        QTRY_VERIFY(focusedView()->visualRect(focusedView()->model()->index(4, 0)).isValid());
        w->selectEntry(2);
        click(4, Qt::ControlModifier);
        QCOMPARE(w->selectedEntries(), QList<int>({2, 4}));
        click(5, Qt::ShiftModifier);
        QCOMPARE(w->selectedEntries(), QList<int>({2, 4, 5}));
        QTest::keyClick(focusedView(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w->selectedEntries().size(), 5);
        w->selectEntry(1);
        QTest::keyClick(focusedView(), mode == 2 ? Qt::Key_Right : Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(w->selectedEntries(), QList<int>({1, 2}));
        QVERIFY(!w->viewer(false));   // choosing opened nothing

        click(3, Qt::NoModifier);
        QCOMPARE(w->currentEntry(), 3);
        QTRY_VERIFY(w->viewer(false) && w->viewer(false)->isVisible());
    }

    // Delete sends the chosen files to the Trash and the list follows;
    // Ctrl+Z brings them back, bytes and times.
    void deleteAndUndo()
    {
        const QString folder = folderOf("trash", 4);
        const QDateTime old = QDateTime::currentDateTime().addDays(-40);
        QMap<QString, QByteArray> bytes;
        for (const char *n : {"a.bmp", "c.bmp"}) {
            QFile f(folder + "/" + n);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(old, QFileDevice::FileModificationTime));
            bytes[n] = readAll(folder + "/" + n);
        }
        browse(folder, &frmMain::mnuList_Click);
        w->selectEntry(1);
        click(3, Qt::ControlModifier);
        QTest::keyClick(w->lvPics, Qt::Key_Delete);
        QTRY_COMPARE(shown(), QStringList({"b.bmp", "d.bmp"}));
        QCOMPARE(w->lblFileCount->text(), QString(" 2 files in list"));
        QVERIFY(!QFileInfo::exists(folder + "/a.bmp"));
        QCOMPARE(testfiles::entries(dir.filePath("data/Trash/files")), QStringList({"a.bmp", "c.bmp"}));

        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(shown(), QStringList({"a.bmp", "b.bmp", "c.bmp", "d.bmp"}));
        for (const QString &n : bytes.keys()) {
            QCOMPARE(readAll(folder + "/" + n), bytes[n]);
            QCOMPARE(QFileInfo(folder + "/" + n).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
        }
        QVERIFY(testfiles::entries(dir.filePath("data/Trash/files")).isEmpty());
        QVERIFY(!w->mnuUndoAction->isEnabled());

        // A file gone before Delete: named with the reason; the other goes.
        w->selectEntry(1);
        click(2, Qt::ControlModifier);
        QVERIFY(QFile::remove(folder + "/a.bmp"));
        QTest::keyClick(w->lvPics, Qt::Key_Delete);
        QTRY_VERIFY(problemShown().startsWith("\"a.bmp\" cannot be moved to the Trash: "));
        QTRY_COMPARE(shown(), QStringList({"c.bmp", "d.bmp"}));
    }

    // F2 edits the name with its extension left out; the renamed file takes
    // its place in the order and stays chosen; refusals are told.
    void renameInPlace()
    {
        const QString folder = folderOf("rename", 3);
        const QByteArray bBytes = readAll(folder + "/b.bmp");
        browse(folder, &frmMain::mnuDetail_Click);
        w->selectEntry(1);
        QTest::keyClick(w->grdPics, Qt::Key_F2);
        QLineEdit *editor = nullptr;
        QTRY_VERIFY((editor = w->grdPics->findChild<QLineEdit *>()) && editor->selectedText() == "a");
        QTest::keyClicks(editor, "zebra");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(shown(), QStringList({"b.bmp", "c.bmp", "zebra.bmp"}));
        QCOMPARE(w->currentEntry(), 3);
        QCOMPARE(w->selectedEntries(), QList<int>({3}));
        QVERIFY(!w->viewer(false));   // the Enter that renamed opened nothing

        QTRY_VERIFY(!w->grdPics->findChild<QLineEdit *>());
        QTest::keyClick(w->grdPics, Qt::Key_F2);
        QTRY_VERIFY((editor = w->grdPics->findChild<QLineEdit *>()));
        QTest::keyClicks(editor, "b");
        QTest::keyClick(editor, Qt::Key_Return);

        QTRY_VERIFY(problemShown().contains("b.bmp"));
        QCOMPARE(readAll(folder + "/b.bmp"), bBytes);
        QVERIFY(QFileInfo::exists(folder + "/zebra.bmp"));
        QCOMPARE(shown(), QStringList({"b.bmp", "c.bmp", "zebra.bmp"}));
    }

    // Copy to and Move to never replace: a taken name gets "(2)".
    void copyAndMoveKeepEveryFile()
    {
        const QString folder = folderOf("from", 3);
        const QString target = folderOf("to", 1);   // holds its own a.bmp
        const QByteArray theirs = readAll(target + "/a.bmp");
        browse(folder, &frmMain::mnuList_Click);
        w->selectEntry(1);
        click(2, Qt::ControlModifier);
        w->transferSelected(target, false);
        QTRY_VERIFY(!w->isWorking());
        QCOMPARE(testfiles::entries(target), QStringList({"a (2).bmp", "a.bmp", "b.bmp"}));
        QCOMPARE(readAll(target + "/a.bmp"), theirs);
        QCOMPARE(readAll(target + "/a (2).bmp"), readAll(folder + "/a.bmp"));

        w->selectEntry(3);
        w->transferSelected(target, true);
        QTRY_COMPARE(shown(), QStringList({"a.bmp", "b.bmp"}));
        QVERIFY(QFileInfo::exists(target + "/c.bmp"));
        QCOMPARE(w->options().recentFolders(), QStringList({target}));

        // A long copy cancelled from its progress window leaves nothing,
        // not even a hidden part.
        QFile big(folder + "/big.bmp");
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(qint64(512) << 20));
        big.close();
        const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        const QStringList before = QDir(target).entryList(all);
        QTRY_COMPARE(shown(), QStringList({"a.bmp", "b.bmp", "big.bmp"}));
        w->selectEntry(3);
        w->transferSelected(target, false);
        auto *progress = w->findChild<QProgressDialog *>("dlgTransfer");
        QVERIFY(progress);
        progress->findChild<QPushButton *>()->click();
        QTRY_VERIFY(!w->isWorking());
        QCOMPARE(QDir(target).entryList(all), before);
        QVERIFY(!w->findChild<QMessageBox *>("msgFileProblem"));
    }

    // Another program adds, removes, renames and rewrites files: each shows
    // within a second, the chosen entries kept.
    void theFolderStaysCurrent_data() { eachView(); }
    void theFolderStaysCurrent()
    {
        QFETCH(int, mode);
        const QString folder = folderOf(QStringLiteral("live%1").arg(mode), 3);
        browse(folder, viewCommand(mode));
        QTRY_COMPARE(w->entryCount(), 3);
        w->selectEntry(2);

        QVERIFY(testpictures::solid(9, 9, Qt::red).save(folder + "/0new.bmp"));
        QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringList({"0new.bmp", "a.bmp", "b.bmp", "c.bmp"}), 1000);
        QCOMPARE(w->lblFileCount->text(), QString(" 4 files in list"));
        QCOMPARE(w->entryName(w->currentEntry()), QString("b.bmp"));

        QVERIFY(QFile::remove(folder + "/a.bmp"));
        QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringList({"0new.bmp", "b.bmp", "c.bmp"}), 1000);
        QVERIFY(QFile::rename(folder + "/c.bmp", folder + "/x.bmp"));
        QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringList({"0new.bmp", "b.bmp", "x.bmp"}), 1000);
        QCOMPARE(w->selectedEntries(), QList<int>({2}));

        // Rewritten in place under the same name: its size (Detailed) or
        // its thumbnail (Thumbnails) follows.
        const auto look = [&] {
            if (mode == 1)
                return w->detailModel()->index(2, 1).data().toString();
            const QPixmap p = w->listModel()->index(2).data(Qt::DecorationRole).value<QPixmap>();
            return p.isNull() ? QString() : QString::number(p.toImage().pixel(p.width() / 2, p.height() / 2), 16);
        };
        QTRY_VERIFY(mode == 0 || !look().isEmpty());
        const QString before = look();
        QVERIFY(testpictures::solid(30, 30, Qt::blue).save(folder + "/x.bmp"));
        if (mode != 0)
            QTRY_VERIFY_WITH_TIMEOUT(look() != before, 1000);
        QCOMPARE(w->entryCount(), 3);
    }

    // A folder dropped in is browsed; a picture dropped in is opened in its folder.
    void dropIn()
    {
        const QString folder = folderOf("drag", 2);
        const QString other = folderOf("dropped", 1);
        browse(folder, &frmMain::mnuList_Click);
        QMimeData in;
        in.setUrls({QUrl::fromLocalFile(other)});
        QDragEnterEvent enter(QPoint(200, 100), Qt::CopyAction, &in, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(200, 100), Qt::CopyAction, &in, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &drop);
        QCOMPARE(w->currentFolder(), other);
        QCOMPARE(shown(), QStringList({"a.bmp"}));

        // A picture dropped is shown in its folder, and opened.
        in.setUrls({QUrl::fromLocalFile(folder + "/b.bmp")});
        QApplication::sendEvent(w.get(), &enter);
        QDropEvent picture(QPointF(200, 100), Qt::CopyAction, &in, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &picture);
        QCOMPARE(w->currentFolder(), folder);
        QCOMPARE(w->entryName(w->currentEntry()), QString("b.bmp"));
        QTRY_VERIFY(w->viewer(false) && w->viewer(false)->isVisible());
    }
};

QTEST_MAIN(TestFileViews)
#include "tst_fileviews.moc"
