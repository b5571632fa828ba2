// What the user does to the files of the views (Trash and Undo, rename, copy
// and move, dragging out and dropping in), and the folder that stays current.
#include "app/frmMain.h"

#include "browser/DetailModel.h"
#include "browser/FileListModel.h"
#include "core/RawPath.h"

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
