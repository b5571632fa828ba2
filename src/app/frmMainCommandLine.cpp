#include "app/frmMain.h"

#include "browser/FileListModel.h"
#include "viewer/ui/frmMedia.h"

#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent>

// What the worker found: the folder and its entries, in the list's order,
// and which of them the command line showed.
struct frmMain::CommandLineList {
    QByteArray folder;
    QStringList names;
    QList<QByteArray> raw;
    QByteArray shown;
};

namespace {
QByteArray folderOf(const QByteArray &path)
{
    const QByteArray absolute = path.startsWith('/') ? path : QFile::encodeName(QDir::currentPath()) + '/' + path;
    return absolute.left(std::max<qsizetype>(1, absolute.lastIndexOf('/')));
}

QByteArray nameOf(const QByteArray &path) { return path.mid(path.lastIndexOf('/') + 1); }
} // namespace

void frmMain::listBehindCommandLine(const QList<QByteArray> &files)
{
    if (files.isEmpty())
        return;
    const QString pattern = m_storedPattern;
    auto *watcher = new QFutureWatcher<CommandLineList>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        takeCommandLineList(watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run([files, pattern] {
        CommandLineList list;
        list.folder = folderOf(files.first());
        list.shown = nameOf(files.first());
        if (files.size() > 1) {
            // The files named, of the first one's folder.
            for (const QByteArray &file : files)
                if (folderOf(file) == list.folder && !list.raw.contains(nameOf(file))) {
                    list.raw << nameOf(file);
                    list.names << RawPath::display(nameOf(file));
                }
        } else {
            FileListing listing;
            listing.setPattern(pattern.isEmpty() ? QStringLiteral("*.*") : pattern);
            listing.setPath(RawPath::display(list.folder));
            listing.refresh();
            list.names = listing.names();
            list.raw = listing.rawNames();
            // Shown though the boxes would leave it out: it stays in the list.
            if (!list.raw.contains(list.shown)) {
                list.raw << list.shown;
                list.names << RawPath::display(list.shown);
            }
        }
        FileListing::sortNames(list.names, list.raw);
        return list;
    }));
}

void frmMain::takeCommandLineList(const CommandLineList &list)
{
    // The viewer may be gone already, and a folder the text does not reach
    // cannot be stepped through by name.
    if (!m_viewer || !m_viewer->isVisible() || !RawPath::isFaithful(list.folder) || list.raw.size() < 2)
        return;
    m_folder = RawPath::display(list.folder);
    m_options.ViewMode = 0;   // for this run only: the list view holds the entries (nothing is saved)
    m_listModel->setNames(list.names, list.raw);
    m_state.FileCount = int(list.names.size());
    m_state.CommandLine.clear();
    m_state.CommandLineBytes.clear();
    selectEntry(int(list.raw.indexOf(list.shown)) + 1);
    m_viewer->preloadPictures(neighbourPictures());
}
