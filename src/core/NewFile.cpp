#include "core/NewFile.h"

#include "core/UserFileMode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <optional>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString systemWords(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Gives the written file (reached as source) the first free name; link()
// and rename-without-replace both fail on a name that exists.
template <typename Give>
NewFile giveName(const QDir &d, const std::function<QString(int)> &nameAt, int names, Give give)
{
    NewFile r;
    for (int i = 0; i < names; ++i) {
        const QString path = d.filePath(nameAt(i));
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            continue;
        int error = 0;
        if (give(path, &error)) {
            r.ok = true;
            r.path = path;
            return r;
        }
        if (error != EEXIST) {
            r.error = systemWords(error);
            r.failedName = path;
            return r;
        }
    }
    r.allTaken = true;
    return r;
}

std::optional<NewFile> writeUnnamed(const QDir &d, const std::function<QString(int)> &nameAt, int names,
                                    const std::function<bool(QFileDevice &, QString *)> &write)
{
#if defined(O_TMPFILE)
    if (!QFileInfo(QStringLiteral("/proc/self/fd")).isDir())
        return std::nullopt;
    const int fd = ::open(QFile::encodeName(d.path()).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, userFileMode());
    if (fd < 0)
        return std::nullopt;   // not offered here: the named way
    QFile out;
    if (!out.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    NewFile r;
    QString why;
    if (!write(out, &why) || !out.flush() || ::fchmod(fd, userFileMode()) != 0 || ::fdatasync(fd) != 0) {
        r.error = why.isEmpty() ? out.errorString() : why;
        return r;
    }
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    return giveName(d, nameAt, names, [&](const QString &path, int *error) {
        const bool linked = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(path).constData(),
                                     AT_SYMLINK_FOLLOW) == 0;
        *error = errno;
        return linked;
    });
#else
    Q_UNUSED(d); Q_UNUSED(nameAt); Q_UNUSED(names); Q_UNUSED(write);
    return std::nullopt;
#endif
}
} // namespace

NewFile writeNewFile(const QString &folder, const std::function<QString(int)> &nameAt, int names,
                     const std::function<bool(QFileDevice &, QString *)> &write)
{
    const QDir d(folder);
    if (const std::optional<NewFile> unnamed = writeUnnamed(d, nameAt, names, write))
        return *unnamed;

    NewFile r;
    QTemporaryFile temp(d.filePath(QStringLiteral(".gw-XXXXXX.tmp")));
    QString why;
    if (!temp.open()) {
        r.error = temp.errorString();
        return r;
    }
    // QTemporaryFile makes a private file; this one is the user's like any other.
    if (!write(temp, &why) || !temp.flush() || ::fchmod(temp.handle(), userFileMode()) != 0
        || ::fdatasync(temp.handle()) != 0) {
        r.error = why.isEmpty() ? temp.errorString() : why;
        return r;
    }
    // QFile::rename never replaces a file (rename without replacing, or a link).
    QString renameError;
    r = giveName(d, nameAt, names, [&](const QString &path, int *error) {
        if (temp.rename(path)) {
            temp.setAutoRemove(false);
            return true;
        }
        *error = QFileInfo::exists(path) ? EEXIST : EIO;
        renameError = temp.errorString();
        return false;
    });
    if (!r.ok && !r.allTaken)
        r.error = renameError;
    return r;   // the temporary file goes with temp
}
