#include "browser/FolderWatch.h"

#include <QFile>
#include <QSocketNotifier>

#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

FolderWatch::FolderWatch(QObject *parent) : QObject(parent)
{
    m_pause.setSingleShot(true);
    m_pause.setInterval(PauseMs);
    connect(&m_pause, &QTimer::timeout, this, [this] {
        QSet<QByteArray> rewritten;
        rewritten.swap(m_rewritten);
        emit changed(rewritten);
    });
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &FolderWatch::readEvents);
    }
}

FolderWatch::~FolderWatch()
{
    stop();
    if (m_fd >= 0)
        ::close(m_fd);
}

void FolderWatch::stop()
{
    if (m_watch >= 0)
        ::inotify_rm_watch(m_fd, m_watch);
    m_watch = -1;
    m_pause.stop();
    m_rewritten.clear();
}

void FolderWatch::setFolder(const QString &folder)
{
    if (folder == m_folder && m_watch >= 0)
        return;
    stop();
    m_folder = folder;
    if (m_fd < 0 || folder.isEmpty())
        return;
    // Writes are seen when the writer closes the file, not at every block.
    m_watch = ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(),
                                  IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB
                                      | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
}

void FolderWatch::readEvents()
{
    alignas(inotify_event) char buffer[16384];
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto *e = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + e->len);
            // Events of a folder watched before are still queued after a switch.
            if (e->wd != m_watch && !(e->mask & IN_Q_OVERFLOW))
                continue;
            any = true;
            if (e->len > 0 && (e->mask & (IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVED_TO)))
                m_rewritten.insert(QByteArray(e->name, int(std::strlen(e->name))));
        }
    }
    if (any && !m_pause.isActive())
        m_pause.start();
}
