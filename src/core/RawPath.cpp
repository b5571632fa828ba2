#include "core/RawPath.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace RawPath {

QString display(const QByteArray &bytes) { return QFile::decodeName(bytes); }

bool isFaithful(const QByteArray &bytes) { return QFile::encodeName(display(bytes)) == bytes; }

QByteArray join(const QByteArray &folder, const QByteArray &name)
{
    if (folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
}

QByteArray fromText(const QString &path) { return QFile::encodeName(path); }

} // namespace RawPath

OpenedPath::OpenedPath(const QByteArray &bytes) : m_display(RawPath::display(bytes))
{
    if (bytes.isEmpty())
        return;
    if (RawPath::isFaithful(bytes)) {
        m_path = m_display;
        return;
    }
    // O_PATH needs no read permission and never blocks; opening the
    // /proc link later checks the permissions as a plain open would.
    m_fd = ::open(bytes.constData(), O_PATH | O_CLOEXEC);
    if (m_fd >= 0)
        m_path = QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}

OpenedPath::~OpenedPath() { release(); }

OpenedPath::OpenedPath(OpenedPath &&other) noexcept
    : m_fd(other.m_fd), m_path(std::move(other.m_path)), m_display(std::move(other.m_display))
{
    other.m_fd = -1;
    other.m_path.clear();
}

OpenedPath &OpenedPath::operator=(OpenedPath &&other) noexcept
{
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        m_display = std::move(other.m_display);
        other.m_fd = -1;
        other.m_path.clear();
    }
    return *this;
}

void OpenedPath::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}
