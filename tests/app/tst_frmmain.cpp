// The main window: the type boxes and folders, a restart that brings back
// what the last run left (within the screen), and options it cannot write.
#include "core/AppState.h"
#include "browser/DetailModel.h"
#include "browser/FileListModel.h"
#include "browser/TypeFilters.h"
#include "core/OptionSet.h"
#include "app/frmMain.h"
#include "core/ui/TabRows.h"

#include "TestFiles.h"
#include "TestPictures.h"
#include "StartedWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QProcess>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include "../info/WhenModal.h"

namespace {
using namespace testfiles;
using namespace testpictures;
QStringList listed(frmMain &w) { return w.listModel()->names(); }
} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString media;
    QString ini;

private slots:
    void initTestCase()
    {
        media = dir.filePath("media");
        QVERIFY(QDir().mkpath(media + "/sub"));
        const QList<QPair<const char *, int>> files = {{"b.jpg", 300}, {"A.JPG", 20}, {"song.mp3", 1000},
            {"notes.txt", 5}, {"clip.wmf", 7}, {"other.pcx", 9}, {".hidden.jpg", 1}};
        for (const auto &f : files)
            QVERIFY(writeFile(media + "/" + f.first, QByteArray(f.second, 'x')));
        ini = dir.filePath("settings/Glintwave.ini");
        QDir::setCurrent(media);
    }

    void init() { QFile::remove(ini); } // each case starts from an empty store
    void cleanupTestCase() { QDir::setCurrent(QDir::tempPath()); }

    void typeBoxesAndFoldersChooseTheFiles()
    {
        auto w = startedWindow(ini);
        QCOMPARE(w->currentFolder(), media);   // the first start opens the current folder
        // WMF is not ticked by default, PCX matches no box.
        QCOMPARE(listed(*w), QStringList({"A.JPG", "b.jpg", "notes.txt", "song.mp3"}));

        w->chkFilter[0]->setChecked(true);   // All Files
        w->chkFilter_Click(0);
        QCOMPARE(listed(*w).size(), 6);
        w->txtFilter->setText("*.PCX");
        w->chkFilter[0]->setChecked(false);
        w->chkFilter_Click(0); // unticking: the custom pattern is not added
        QVERIFY(!listed(*w).contains("other.pcx"));
        w->txtFilter_Enter(); // Enter brings it back
        QVERIFY(listed(*w).contains("other.pcx"));

        w->goToFolder(media + "/sub/");
        QCOMPARE(w->currentFolder(), media + "/sub");
        w->goToFolder(media + "/nothing");   // a folder that does not exist: nothing changes
        QCOMPARE(w->currentFolder(), media + "/sub");

        w->close();
    }

    void restartRestoresEverything()
    {
        {
            auto w = startedWindow(ini);
            w->resize(700, 500);
            w->goToFolder(media + "/sub");
            w->chkFilter[15]->setChecked(true);
            w->chkFilter[2]->setChecked(false);
            w->txtFilter->setText("*.PNG");
            w->grdPics->setColumnWidth(0, 123);
            w->mnuDetail_Click();
            w->close(); // unload writes the options
        }
        auto w = startedWindow(ini);
        QCOMPARE(w->size(), QSize(700, 500));
        QCOMPARE(w->currentFolder(), media + "/sub");
        QVERIFY(w->mnuDetailAction->isChecked() && w->grdPics->isVisible());
        QVERIFY(w->chkFilter[15]->isChecked() && !w->chkFilter[2]->isChecked());
        QCOMPARE(w->grdPics->columnWidth(0), 123);
        QVERIFY(w->lstPics.pattern().endsWith(";*.RW2;*.PNG"));
        w->close();
    }

    // A large folder in the Detailed view: its names at once, the rest from
    // workers; a click on the Size header while sizes are still coming leaves
    // the rows where they are (sorted by what is in so far they would jump)
    // and sorts them once the last size is in, the window answering meanwhile.
    void aSortByAColumnStillBeingReadWaitsForIt()
    {
        const QString many = dir.filePath("many");
        QVERIFY(QDir().mkpath(many));
        const int count = 3000;
        // No extension: each type is read from the file, so the reading lasts.
        for (int i = 0; i < count; ++i)
            QVERIFY(writeFile(many + QStringLiteral("/file%1").arg(i, 4, 10, QChar('0')),
                              QByteArray(1 + (i * 7919) % 2003, 'x')));
        auto w = startedWindow(ini);
        w->chkFilter[0]->setChecked(true);   // All Files
        w->chkFilter_Click(0);
        w->goToFolder(many);
        w->mnuDetail_Click();
        DetailModel *model = w->detailModel();
        auto order = [&] {
            QStringList names;
            for (const DetailRow &r : model->rows())
                names << r.name;
            return names;
        };
        QCOMPARE(model->dataRowCount(), count);
        QVERIFY(std::none_of(model->rows().begin(), model->rows().end(),
                             [](const DetailRow &r) { return r.name.isEmpty() || !r.size.isEmpty(); }));

        QHeaderView *header = w->grdPics->horizontalHeader();
        QStringList atClick, afterClick;
        Qt::CursorShape cursorWhileWaiting = Qt::ArrowCursor;
        int ticks = 0, ticksBeforeSort = -1;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] { ++ticks; });
        connect(model, &QAbstractItemModel::dataChanged, this, [&] {
            if (!atClick.isEmpty())
                return;
            // The first part of the sizes is in: a real click on Size, left
            // button (ascending).
            atClick = order();
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(1) + header->sectionSize(1) / 2,
                                     header->height() / 2));
            afterClick = order();
            cursorWhileWaiting = w->grdPics->cursor().shape();
            tick.start(0);
        });
        connect(model, &QAbstractItemModel::layoutChanged, this, [&] {
            if (!atClick.isEmpty() && ticksBeforeSort < 0)
                ticksBeforeSort = ticks;
        });
        QSignalSpy read(w.get(), &frmMain::detailsRead);
        QVERIFY(read.wait(60000));

        QVERIFY(!atClick.isEmpty());
        QCOMPARE(afterClick, atClick);
        QCOMPARE(cursorWhileWaiting, Qt::BusyCursor);
        QVERIFY2(ticksBeforeSort > 0, qPrintable(QString::number(ticksBeforeSort)));
        QCOMPARE(w->grdPics->cursor().shape(), Qt::ArrowCursor);
        const QVector<DetailRow> &rows = model->rows();
        QVERIFY(std::all_of(rows.begin(), rows.end(), [](const DetailRow &r) { return r.bytes > 0; }));
        QVERIFY(std::is_sorted(rows.begin(), rows.end(),
                               [](const DetailRow &a, const DetailRow &b) { return a.bytes < b.bytes; }));
        QCOMPARE(w->options().SortCol, 1);
        w->close();
    }

    // The Detailed view's optional columns: hidden until chosen, filled by
    // the readers, sorted by a click on their header, kept for the next run.
    void photoColumnsSortByTheMomentTaken()
    {
        const QString shots = dir.filePath("shots");
        QVERIFY(QDir().mkpath(shots));
        const QList<QPair<QString, QString>> taken = {{"late.jpg", "2024:05:01 10:00:00"},
                                                      {"early.jpg", "2019:01:02 03:04:05"},
                                                      {"plain_new.jpg", ""}, {"plain_old.jpg", ""}};
        for (const auto &t : taken) {
            const QString path = shots + "/" + t.first;
            QVERIFY(solid(40, 30, Qt::red).save(path));
            if (!t.second.isEmpty())
                QCOMPARE(QProcess::execute("exiftool", {"-q", "-overwrite_original",
                                                        "-DateTimeOriginal=" + t.second, path}), 0);
        }
        const QDateTime now = QDateTime::currentDateTime();
        for (const auto &[name, age] : {std::pair{"plain_new.jpg", 10}, std::pair{"plain_old.jpg", 1000}}) {
            QFile f(shots + "/" + name);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(now.addSecs(-age), QFileDevice::FileModificationTime));
        }
        {
            auto w = startedWindow(ini);
            w->goToFolder(shots);
            w->mnuDetail_Click();
            QHeaderView *header = w->grdPics->horizontalHeader();
            QVERIFY(header->isSectionHidden(DetailModel::TakenColumn)); // the grid as it always was
            QVERIFY(header->isSectionHidden(DetailModel::DimensionsColumn));
            w->mnuTakenColumnAction->trigger();
            w->mnuDimensionsColumnAction->trigger();
            QVERIFY(!header->isSectionHidden(DetailModel::TakenColumn));
            auto rowOf = [&](const QString &name) {
                for (const DetailRow &r : w->detailModel()->rows())
                    if (r.name == name)
                        return r;
                return DetailRow{};
            };
            const QVector<DetailRow> &rows = w->detailModel()->rows();
            QTRY_VERIFY(std::all_of(rows.begin(), rows.end(), [](const DetailRow &r) { return !r.dimensions.isEmpty(); }));
            QCOMPARE(rowOf("early.jpg").taken, QString("2019-01-02 03:04:05"));
            QCOMPARE(rowOf("plain_old.jpg").dimensions, QString("40 x 30"));
            QVERIFY(rowOf("plain_old.jpg").taken.isEmpty());

            // A real press on the header of the Taken column, left button: ascending.
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(DetailModel::TakenColumn)
                                         + header->sectionSize(DetailModel::TakenColumn) / 2,
                                     header->height() / 2));
            QStringList order;
            for (int i = 1; i <= 4; ++i)
                order << w->entryName(i);
            QCOMPARE(order, QStringList({"early.jpg", "late.jpg", "plain_old.jpg", "plain_new.jpg"}));
            w->close();
        }
        auto w = startedWindow(ini); // chosen columns come back
        QVERIFY(w->mnuTakenColumnAction->isChecked());
        QVERIFY(!w->grdPics->horizontalHeader()->isSectionHidden(DetailModel::TakenColumn));
        QTRY_COMPARE(w->entryName(1), QString("early.jpg"));
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
            auto w = startedWindow(ini);
            QVERIFY(area.contains(QRect(w->pos(), w->size())));
            w->close();
        }
        // What was shown is written back, not the bad values.
        QSettings raw(ini, QSettings::IniFormat);
        QVERIFY(raw.value("Settings/MainHeight").toDouble() <= area.height() * 15);
        QVERIFY(raw.value("Settings/MainTop").toDouble() >= 0);
    }

    void everyMediaTabShowsWhole()
    {
        // At the first-start size and maximised, each caption whole inside
        // the strip, and a click on any of them turns to its page.
        auto w = startedWindow(ini);
        // Every type box of every page whole, above "All Files".
        const int allFiles = w->chkFilter[0]->mapTo(w.get(), QPoint()).y();
        for (int box = 1; box < TypeFilters::BoxCount; ++box) {
            const QCheckBox *c = w->chkFilter[box];
            QVERIFY2(c->mapTo(w.get(), QPoint(0, c->height())).y() <= allFiles, qPrintable(c->text()));
            QVERIFY2(c->sizeHint().width() <= c->width(), qPrintable(c->text()));
        }
        for (const bool maximised : {false, true}) {
            if (maximised)
                w->showMaximized();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            const auto *tabs = w->tbsMedia;
            QCOMPARE(tabs->count(), 4);
            for (int i = 0; i < tabs->count(); ++i) {
                const QRect r = tabs->tabRect(i);
                QVERIFY2(tabs->rect().contains(r), qPrintable(tabs->tabText(i)));
                QVERIFY2(tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)) < r.width(), qPrintable(tabs->tabText(i)));
            }
            for (int i : {3, 0, 2}) {
                QTest::mouseClick(w->tbsMedia, Qt::LeftButton, {}, tabs->tabRect(i).center());
                QVERIFY(w->picOptions[i]->isEnabled() && w->picOptions[i]->x() >= tabs->x());
            }
        }
    }

    void addressBoxDoesNotCompleteWhatTheUserDeletes()
    {
        // Keys typed into the address box go to the combo box, as a user's do.
        auto w = startedWindow(ini);
        w->setFolder(media + "/sub");
        w->setFolder(media);
        QComboBox *box = w->cboAddress;
        QLineEdit *edit = box->lineEdit();
        box->setFocus();
        for (const auto &[key, mods] : {std::pair{Qt::Key_Delete, Qt::NoModifier},
                                        std::pair{Qt::Key_Backspace, Qt::NoModifier}}) {
            edit->clear();
            QTest::keyClicks(box, media + "/");
            QCOMPARE(edit->text(), media + "/sub");      // completed from the history
            QCOMPARE(edit->selectedText(), QString("sub"));
            QTest::keyClick(box, key, mods);
            QCOMPARE(edit->text(), media + "/");         // the deleted tail stays away
        }
        // Return goes to the folder typed, once.
        QSignalSpy builds(w.get(), &frmMain::buildStarted);
        edit->clear();
        QTest::keyClicks(box, media + "/sub");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(builds.size(), 1);
        // A word deleted before the caret is not completed either.
        edit->clear();
        QTest::keyClicks(box, media + "/s");
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClick(box, Qt::Key_Backspace, Qt::ControlModifier);
        QVERIFY2(!edit->text().endsWith("sub"), qPrintable(edit->text()));
    }

    void optionsThatCannotBeWrittenAreReported()
    {
        // The disk filled up during the run (no write may add a byte): closing
        // says so, with the reason, before the program ends; the old file stays.
        const QString folder = dir.filePath("config");
        QVERIFY(QDir().mkpath(folder));
        const QString stored = folder + "/Glintwave.ini";
        QVERIFY(writeFile(stored, "[Settings]\nThumbSize=64\n"));
        auto w = startedWindow(stored);
        w->options().ThumbSize = 80;
        rlimit before;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &before), 0);
        struct Restore { rlimit limit; ~Restore() { setrlimit(RLIMIT_FSIZE, &limit); } } restore{before};
        const rlimit full{0, before.rlim_max};
        signal(SIGXFSZ, SIG_IGN); // a failed write, not a killed process
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &full), 0);
        BoxWatch boxes;
        w->close();
        setrlimit(RLIMIT_FSIZE, &before); // the guard is for a failed check above
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY2(boxes.texts.first().contains(": The options could not be saved.") && boxes.texts.first().contains(stored),
                 qPrintable(boxes.texts.first()));
        QCOMPARE(readAll(stored), QByteArray("[Settings]\nThumbSize=64\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"Glintwave.ini"});
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
