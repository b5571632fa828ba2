// The folder that stays current: changes in the browsed folder, told by the
// watch, are found on a worker and only what changed is touched in the views.
#include "app/frmMain.h"

#include "browser/DetailModel.h"
#include "browser/DetailReader.h"
#include "browser/FileListModel.h"
#include "browser/FolderWatch.h"
#include "core/RawPath.h"
#include "viewer/ThumbnailBuilder.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLabel>
#include <QtConcurrent>

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
                [this](int index, const QString &name, const PackedImage &picture) {
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
                    m_listModel->place(item.name, item.raw, item.picture);
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

void frmMain::followRewrittenFile(const QString &path)
{
    // As any file rewritten in the browsed folder: its thumbnail is made and
    // its details read again.
    if (!m_watch)
        return;
    m_rewritten.insert(QFile::encodeName(QFileInfo(path).fileName()));
    followFolder();
}
