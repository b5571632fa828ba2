#include "core/UserFileMode.h"

#include <QFile>

#include <sys/stat.h>

namespace {
mode_t readUmask()
{
    // Linux 4.7 and later show it without changing it.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        while (!status.atEnd()) {
            const QByteArray line = status.readLine();
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask & 0777);
            }
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask & 0777;
}

// Between Qt's permission flags and a mode's nine bits. The "User" flags say
// what this process may do, not what the file's mode holds: left out.
QFileDevice::Permissions fromMode(mode_t mode)
{
    QFileDevice::Permissions p;
    if (mode & S_IRUSR) p |= QFileDevice::ReadOwner;
    if (mode & S_IWUSR) p |= QFileDevice::WriteOwner;
    if (mode & S_IXUSR) p |= QFileDevice::ExeOwner;
    if (mode & S_IRGRP) p |= QFileDevice::ReadGroup;
    if (mode & S_IWGRP) p |= QFileDevice::WriteGroup;
    if (mode & S_IXGRP) p |= QFileDevice::ExeGroup;
    if (mode & S_IROTH) p |= QFileDevice::ReadOther;
    if (mode & S_IWOTH) p |= QFileDevice::WriteOther;
    if (mode & S_IXOTH) p |= QFileDevice::ExeOther;
    return p;
}

mode_t toMode(QFileDevice::Permissions p)
{
    mode_t mode = 0;
    if (p & QFileDevice::ReadOwner) mode |= S_IRUSR;
    if (p & QFileDevice::WriteOwner) mode |= S_IWUSR;
    if (p & QFileDevice::ExeOwner) mode |= S_IXUSR;
    if (p & QFileDevice::ReadGroup) mode |= S_IRGRP;
    if (p & QFileDevice::WriteGroup) mode |= S_IWGRP;
    if (p & QFileDevice::ExeGroup) mode |= S_IXGRP;
    if (p & QFileDevice::ReadOther) mode |= S_IROTH;
    if (p & QFileDevice::WriteOther) mode |= S_IWOTH;
    if (p & QFileDevice::ExeOther) mode |= S_IXOTH;
    return mode;
}
} // namespace

mode_t userUmask()
{
    static const mode_t mask = readUmask();
    return mask;
}

mode_t userFileMode(mode_t wanted)
{
    return wanted & ~userUmask() & 07777;
}

QFileDevice::Permissions userFilePermissions(QFileDevice::Permissions wanted)
{
    return fromMode(toMode(wanted) & ~userUmask());
}

bool giveUserPermissions(QFileDevice &file)
{
    return file.setPermissions(userFilePermissions());
}
