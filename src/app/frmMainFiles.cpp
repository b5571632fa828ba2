// What the user does to the files of the views (Trash and Undo, rename, copy
// and move, dragging out and dropping in), and the folder that stays current.
#include "app/frmMain.h"

#include "browser/DetailModel.h"
#include "browser/DetailReader.h"
#include "browser/FileListModel.h"
#include "browser/FolderWatch.h"
#include "core/RawPath.h"
#include "viewer/ThumbnailBuilder.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QtConcurrent>

#include <atomic>

namespace {
// The editor of a name selects it without its extension, so typing replaces
// the name and keeps the type.
class RenameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        // The view selects the whole text once the editor is filled, and
        // shows it after that: from then on the choice is the user's.
        if (event->type() == QEvent::Show)
            if (auto *line = qobject_cast<QLineEdit *>(object)) {
                const QString text = line->text();
                const int dot = text.lastIndexOf('.');
                line->setSelection(0, dot > 0 ? dot : int(text.size()));
            }
        return QStyledItemDelegate::eventFilter(object, event);
    }
};

struct TransferProgress {
    std::atomic_bool cancelled{false};
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
};
} // namespace

// ---- Actions --------------------------------------------------------------------

void frmMain::createFileActions()
{
    // Delete, F2 and Ctrl+A act on the focused view alone (the address box
    // and the folder list keep their own keys); Undo works in the whole window.
    auto viewKey = [this](QAction *a, const QKeySequence &key) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetShortcut);
        lvPics->addAction(a);
        grdPics->addAction(a);
    };
    mnuTrashAction = new QAction("Move to &Trash", this);
    mnuTrashAction->setObjectName("mnuTrash");
    viewKey(mnuTrashAction, QKeySequence(Qt::Key_Delete));
    connect(mnuTrashAction, &QAction::triggered, this, &frmMain::trashSelected);

    mnuRenameAction = new QAction("&Rename", this);
    mnuRenameAction->setObjectName("mnuRename");
    viewKey(mnuRenameAction, QKeySequence(Qt::Key_F2));
    connect(mnuRenameAction, &QAction::triggered, this, &frmMain::renameCurrent);

    mnuSelectAllAction = new QAction("Select &All", this);
    mnuSelectAllAction->setObjectName("mnuSelectAll");
    viewKey(mnuSelectAllAction, QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(mnuSelectAllAction, &QAction::triggered, this, [this] { activeView()->selectAll(); });

    mnuUndoAction = new QAction("&Undo", this);
    mnuUndoAction->setObjectName("mnuUndo");
    mnuUndoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuUndoAction->setEnabled(false);
    addAction(mnuUndoAction);
    connect(mnuUndoAction, &QAction::triggered, this, &frmMain::undoTrash);

    mnuCopyTo = new QMenu("&Copy To", this);
    mnuCopyTo->setObjectName("mnuCopyTo");
    mnuMoveTo = new QMenu("&Move To", this);
    mnuMoveTo->setObjectName("mnuMoveTo");
    connect(mnuCopyTo, &QMenu::aboutToShow, this, [this] { fillTargetMenu(mnuCopyTo, false); });
    connect(mnuMoveTo, &QMenu::aboutToShow, this, [this] { fillTargetMenu(mnuMoveTo, true); });

    auto addFileItems = [this](QMenu *menu) {
        menu->addAction(mnuUndoAction);
        menu->addSeparator();
        menu->addMenu(mnuCopyTo);
        menu->addMenu(mnuMoveTo);
        menu->addAction(mnuTrashAction);
        menu->addAction(mnuRenameAction);
    };
    addFileItems(mnuFile);
    mnuFile->addAction(mnuSelectAllAction);
    mnuFile->addSeparator();

    mnuFiles = new QMenu(this);
    mnuFiles->setObjectName("mnuFiles");
    addFileItems(mnuFiles);
    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(lvPics), static_cast<QAbstractItemView *>(grdPics)}) {
        view->setItemDelegate(new RenameDelegate(view));
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint &pos) {
            if (!selectedEntries().isEmpty())
                mnuFiles->popup(view->viewport()->mapToGlobal(pos));
        });
    }
    // Renamed once the editor has closed: the list may then change under it.
    connect(listModel(), &FileListModel::renameRequested, this, &frmMain::renameEntry, Qt::QueuedConnection);
    connect(detailModel(), &DetailModel::renameRequested, this, &frmMain::renameEntry, Qt::QueuedConnection);
    setAcceptDrops(true);
}

void frmMain::fillTargetMenu(QMenu *menu, bool move)
{
    menu->clear();
    menu->addAction("&Choose Folder...", this, [this, move] {
        const QString folder = QFileDialog::getExistingDirectory(this, move ? "Move To" : "Copy To", m_folder);
        if (!folder.isEmpty())
            transferSelected(folder, move);
    });
    const QStringList recent = m_options.recentFolders();
    if (!recent.isEmpty())
        menu->addSeparator();
    for (const QString &folder : recent)
        menu->addAction(folder, this, [this, folder, move] { transferSelected(folder, move); });
}

// ---- Selection --------------------------------------------------------------------

QAbstractItemView *frmMain::activeView() const
{
    return m_options.ViewMode == 1 ? static_cast<QAbstractItemView *>(grdPics)
                                   : static_cast<QAbstractItemView *>(lvPics);
}

QList<int> frmMain::selectedEntries() const
{
    QList<int> entries;
    const int count = entryCount();
    for (const QModelIndex &i : activeView()->selectionModel()->selectedRows())
        if (i.row() < count)
            entries << i.row() + 1;
    std::sort(entries.begin(), entries.end());
    return entries;
}

QList<QByteArray> frmMain::selectedRawNames() const
{
    QList<QByteArray> raw;
    for (int entry : selectedEntries())
        raw << entryRawName(entry);
    return raw;
}

QString frmMain::pathOf(const QByteArray &raw) const
{
    return QFile::decodeName(RawPath::join(RawPath::fromText(m_folder), raw));
}

void frmMain::selectRaw(const QByteArray &raw)
{
    const int row = m_options.ViewMode == 1 ? m_detailModel->rowOf(raw) : m_listModel->rowOf(raw);
    if (row < 0)
        return;
    QAbstractItemView *view = activeView();
    const QModelIndex index = view->model()->index(row, 0);
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
}

void frmMain::showFileProblems(const QString &title, const QStringList &problems)
{
    if (problems.isEmpty())
        return;
    // Not waited for: the list goes on following the folder behind it.
    auto *box = new QMessageBox(QMessageBox::Warning, title, problems.join('\n'), QMessageBox::Ok, this);
    box->setObjectName("msgFileProblem");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

// ---- Trash and Undo ------------------------------------------------------------------

void frmMain::runFileJob(std::function<void()> work, std::function<void()> done)
{
    // One at a time: a second Delete must not trash what the first is trashing.
    m_working = true;
    auto *watcher = new QFutureWatcher<void>(this);
    connect(watcher, &QFutureWatcher<void>::finished, this, [this, watcher, done = std::move(done)] {
        watcher->deleteLater();
        m_working = false;
        done();
        followFolder();
    });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}

void frmMain::trashSelected()
{
    const QList<QByteArray> raw = selectedRawNames();
    if (raw.isEmpty() || m_working)
        return;
    QStringList paths;
    for (const QByteArray &r : raw)
        paths << pathOf(r);
    struct Trashing {
        std::vector<fileops::Trashed> done;
        QStringList problems;
    };
    auto job = std::make_shared<Trashing>();
    runFileJob(
        [paths, job] {
            for (const QString &path : paths) {
                fileops::Trashed record;
                const fileops::Outcome o = fileops::moveToTrash(path, &record);
                if (o.ok)
                    job->done.push_back(record);
                else
                    job->problems << o.error;
            }
        },
        [this, job] {
            if (!job->done.empty()) {
                m_undo.push_back(std::move(job->done));
                mnuUndoAction->setEnabled(true);
            }
            showFileProblems("Move to Trash", job->problems);
        });
}

void frmMain::undoTrash()
{
    if (m_undo.empty() || m_working)
        return;
    std::vector<fileops::Trashed> last = std::move(m_undo.back());
    m_undo.pop_back();
    mnuUndoAction->setEnabled(!m_undo.empty());
    auto problems = std::make_shared<QStringList>();
    runFileJob(
        [last = std::move(last), problems] {
            for (const fileops::Trashed &record : last) {
                const fileops::Outcome o = fileops::restoreFromTrash(record);
                if (!o.ok)
                    *problems << o.error;
            }
        },
        [this, problems] { showFileProblems("Undo", *problems); });
}

// ---- Rename ----------------------------------------------------------------------

void frmMain::renameCurrent()
{
    QAbstractItemView *view = activeView();
    const QModelIndex current = view->currentIndex();
    if (!current.isValid() || currentEntry() < 1)
        return;
    view->edit(view->model()->index(current.row(), 0));
}

void frmMain::renameEntry(const QByteArray &raw, const QString &newName)
{
    const QString oldName = QFile::decodeName(raw);
    const fileops::Outcome o = fileops::renameFile(m_folder, oldName, newName);
    if (!o.ok) {
        showFileProblems("Rename", {o.error});
        return;
    }
    m_selectAfter = QFile::encodeName(QFileInfo(o.path).fileName());
    followFolder();
}

// ---- Copy and move ---------------------------------------------------------------------

void frmMain::transferSelected(const QString &folder, bool move)
{
    const QList<QByteArray> raw = selectedRawNames();
    if (raw.isEmpty() || m_working)
        return;
    m_options.rememberFolder(folder);
    QStringList files;
    for (const QByteArray &r : raw)
        files << pathOf(r);

    auto progress = std::make_shared<TransferProgress>();
    auto *dialog = new QProgressDialog(move ? "Moving files..." : "Copying files...", "Cancel", 0, 1000, this);
    dialog->setObjectName("dlgTransfer");
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(400);   // a short copy shows nothing
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    dialog->setValue(0);
    connect(dialog, &QProgressDialog::canceled, this, [progress] { progress->cancelled = true; });
    auto *tick = new QTimer(dialog);
    connect(tick, &QTimer::timeout, dialog, [dialog, progress] {
        const qint64 total = progress->total;
        if (total > 0)
            dialog->setValue(int(std::min<qint64>(999, progress->done * 1000 / total)));
    });
    tick->start(100);

    auto problems = std::make_shared<QStringList>();
    runFileJob(
        [files, folder, move, progress, problems] {
            qint64 total = 0;
            for (const QString &f : files)
                total += std::max<qint64>(1, QFileInfo(f).size());
            progress->total = total;
            qint64 before = 0;
            for (const QString &f : files) {
                const qint64 size = std::max<qint64>(1, QFileInfo(f).size());
                const fileops::Progress told = [&](qint64 done, qint64) {
                    progress->done = before + done;
                    return !progress->cancelled;
                };
                const fileops::Outcome o = move ? fileops::moveInto(f, folder, told)
                                                : fileops::copyInto(f, folder, told);
                if (progress->cancelled)
                    break;   // what was cancelled left nothing: no message
                if (!o.ok)
                    *problems << o.error;
                before += size;
                progress->done = before;
            }
        },
        [this, dialog, move, problems] {
            dialog->deleteLater();
            showFileProblems(move ? "Move To" : "Copy To", *problems);
        });
}

// ---- Dragging in ----------------------------------------------------------------------

void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    // Entries dragged out of the views and back are not a request to open.
    const auto *source = qobject_cast<const QWidget *>(event->source());
    if (source && source->window() == this)
        return;
    if (event->mimeData()->hasUrls() && !event->mimeData()->urls().first().toLocalFile().isEmpty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent *event)
{
    // A folder is browsed; a file is shown in its folder and opened.
    const QString path = event->mimeData()->urls().value(0).toLocalFile();
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return;
    event->acceptProposedAction();
    if (info.isDir()) {
        setFolder(info.absoluteFilePath());
        return;
    }
    setFolder(info.absolutePath());
    selectRaw(QFile::encodeName(info.fileName()));
    if (currentEntry() > 0)
        ShowMedia();
}

// ---- The folder that stays current ------------------------------------------------------

void frmMain::watchFolder()
{
    if (!m_watch) {
        m_watch = new FolderWatch(this);
        connect(m_watch, &FolderWatch::changed, this, [this](const QSet<QByteArray> &rewritten) {
            m_rewritten += rewritten;
            followFolder();
        });
    }
    m_watch->setFolder(m_folder);
}

struct frmMain::FolderChange {
    FileListing listing;
    QSet<QByteArray> gone;
    QStringList addedNames;
    QList<QByteArray> added;
    QSet<QByteArray> changed;   // rewritten, listed before and now
};

void frmMain::followFolder()
{
    // One listing at a time, on a worker, which also finds what changed;
    // changes told meanwhile ask for one more.
    if (m_relisting) {
        m_relistAgain = true;
        return;
    }
    m_relisting = true;
    const quint64 generation = m_listGeneration;
    QSet<QByteArray> rewritten;
    rewritten.swap(m_rewritten);
    auto *watcher = new QFutureWatcher<FolderChange>(this);
    connect(watcher, &QFutureWatcher<FolderChange>::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        m_relisting = false;
        if (generation == m_listGeneration)
            applyListing(watcher->result());
        if (m_relistAgain) {
            m_relistAgain = false;
            followFolder();
        }
    });
    watcher->setFuture(QtConcurrent::run([old = lstPics, rewritten]() {
        FolderChange c;
        c.listing = old;
        c.listing.refresh();
        const QSet<QByteArray> before(old.rawNames().cbegin(), old.rawNames().cend());
        QSet<QByteArray> now;
        now.reserve(c.listing.ListCount());
        for (int i = 0; i < c.listing.ListCount(); ++i) {
            const QByteArray &raw = c.listing.rawNames()[i];
            now.insert(raw);
            if (!before.contains(raw)) {
                c.addedNames << c.listing.names()[i];
                c.added << raw;
            } else if (rewritten.contains(raw)) {
                c.changed.insert(raw);
            }
        }
        c.gone = before;
        c.gone.subtract(now);
        return c;
    }));
}

void frmMain::applyListing(const FolderChange &change)
{
    const QSet<QByteArray> &gone = change.gone;
    const QList<QByteArray> &added = change.added;
    const QStringList &addedNames = change.addedNames;
    const QSet<QByteArray> &changed = change.changed;
    lstPics = change.listing;
    m_goneSinceBuild += gone;
    for (const QByteArray &raw : added)
        m_goneSinceBuild.remove(raw);

    if (m_options.ViewMode == 1) {
        m_detailModel->removeFiles(gone);
        QStringList newNames;
        QList<QByteArray> newRaw;
        for (int i = 0; i < added.size(); ++i)
            if (m_detailModel->rowOf(added[i]) < 0) {
                newNames << addedNames[i];
                newRaw << added[i];
            }
        m_detailModel->addNames(newNames, newRaw);
        // Rows still waiting for a read that a new one replaces are read again.
        for (const QByteArray &raw : gone)
            m_detailsWanted.remove(raw);
        for (int i = 0; i < newRaw.size(); ++i)
            m_detailsWanted.insert(newRaw[i], newNames[i]);
        for (const QByteArray &raw : changed)
            m_detailsWanted.insert(raw, RawPath::display(raw));
        if (!m_detailsWanted.isEmpty() && (!newRaw.isEmpty() || !changed.isEmpty())) {
            if (!m_liveDetails) {
                m_liveDetails = new DetailReader(this);
                connect(this, &frmMain::buildStarted, m_liveDetails, [this] {
                    m_liveDetails->cancel();
                    m_detailsWanted.clear();
                });
                connect(m_liveDetails, &DetailReader::rowsRead, this, [this](const QVector<DetailRow> &rows) {
                    for (const DetailRow &row : rows)
                        m_detailsWanted.remove(row.raw);
                    m_detailModel->fillDetails(rows);
                });
                connect(m_liveDetails, &DetailReader::finished, this, &frmMain::SortGrid);
            }
            m_liveDetails->start(m_folder, m_detailsWanted.values(), m_detailsWanted.keys(),
                                 m_options.TakenColumn || m_options.DimensionsColumn);
        }
        SortGrid();
    } else {
        for (const QByteArray &raw : gone)
            m_listModel->remove(raw);
        if (m_options.ViewMode == 2) {
            for (const QByteArray &raw : added)
                m_liveQueue << raw;
            for (const QByteArray &raw : changed)
                m_liveQueue << raw;
            buildLiveThumbnails();
        } else {
            for (int i = 0; i < added.size(); ++i)
                m_listModel->place(addedNames[i], added[i]);
        }
    }
    m_state.FileCount = lstPics.ListCount();
    lblFileCount->setText(" " + QString::number(m_state.FileCount) + " files in list");
    selectRenamed();
    emit folderFollowed();
}

void frmMain::selectRenamed()
{
    // Once the view holds it (a thumbnail comes a moment after the listing).
    if (m_selectAfter.isEmpty()
        || (m_options.ViewMode == 1 ? m_detailModel->rowOf(m_selectAfter) : m_listModel->rowOf(m_selectAfter)) < 0)
        return;
    selectRaw(m_selectAfter);
    m_selectAfter.clear();
    // The editor that had the keys went with the old row: they come back to
    // the list, so that the next F2 or Delete works.
    if (!QApplication::focusWidget() && isActiveWindow())
        activeView()->setFocus();
}

void frmMain::buildLiveThumbnails()
{
    if (!m_liveThumbs) {
        m_liveThumbs = newThumbnailBuilder();
        connect(this, &frmMain::buildStarted, m_liveThumbs, [this] {
            m_liveThumbs->cancel();
            m_liveQueue.clear();
            m_liveArrived.clear();
            selectRenamed();
        });
        connect(m_liveThumbs, &ThumbnailBuilder::itemReady, this,
                [this](int index, const QString &name, const QImage &picture) {
                    // A full view lays all its items out again after an
                    // insertion: a few at once, a few times a second.
                    m_liveArrived.append({name, m_liveThumbs->entry(index).raw, picture});
                    if (!m_liveFlush.isActive())
                        m_liveFlush.start();
                });
        m_liveFlush.setSingleShot(true);
        m_liveFlush.setInterval(100);
        connect(&m_liveFlush, &QTimer::timeout, this, [this] {
            for (const ThumbnailEntryPicture &item : std::as_const(m_liveArrived))
                if (!m_goneSinceBuild.contains(item.raw))
                    m_listModel->place(item.name, item.raw, QPixmap::fromImage(item.picture));
            m_liveArrived.clear();
            selectRenamed();
        });
        // The next changes once these are in: a new start would drop these.
        connect(m_liveThumbs, &ThumbnailBuilder::finished, this, &frmMain::buildLiveThumbnails,
                Qt::QueuedConnection);
    }
    if (m_liveThumbs->isRunning() || m_liveQueue.isEmpty())
        return;
    QList<ThumbnailEntry> entries;
    QSet<QByteArray> seen;
    for (const QByteArray &raw : std::as_const(m_liveQueue)) {
        if (seen.contains(raw) || m_goneSinceBuild.contains(raw))
            continue;
        seen.insert(raw);
        entries.append(thumbnailEntry(RawPath::display(raw), raw));
    }
    m_liveQueue.clear();
    if (!entries.isEmpty())
        m_liveThumbs->start(m_folder, entries, int(m_options.ThumbSize));
}
