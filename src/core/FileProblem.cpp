#include "core/FileProblem.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString fileProblem(const QString &path)
{
    if (path.isEmpty())
        return QString::fromLocal8Bit(std::strerror(ENOENT));
    // Non-blocking: a named pipe must not hold us up just to be refused.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (S_ISDIR(st.st_mode))
        err = EISDIR;
    ::close(fd);
    return err ? QString::fromLocal8Bit(std::strerror(err)) : QString();
}
