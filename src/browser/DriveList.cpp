#include "browser/DriveList.h"

#include <QSet>
#include <QStorageInfo>

namespace {
bool isPseudo(const QStorageInfo &v)
{
    static const QSet<QByteArray> pseudo = {
        "proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs", "pstore",
        "debugfs", "tracefs", "mqueue", "hugetlbfs", "configfs", "fusectl", "bpf", "autofs",
        "binfmt_misc", "nsfs", "efivarfs", "rpc_pipefs", "squashfs", "ramfs", "fuse.portal",
        "fuse.gvfsd-fuse"};
    const QByteArray type = v.fileSystemType();
    if (pseudo.contains(type))
        return true;
    const QString root = v.rootPath();
    if (root == "/")
        return false;
    for (const char *system : {"/proc", "/sys", "/dev", "/run", "/snap", "/var/lib/docker"})
        if (root == system || root.startsWith(QString(system) + "/"))
            return true;
    // tmpfs is memory, not a volume, unless the user mounted one to browse.
    return type == "tmpfs" && !root.startsWith("/media/") && !root.startsWith("/mnt/")
        && root != "/tmp";
}
} // namespace

QStringList driveEntries()
{
    QStringList entries;
    QSet<QString> seen;
    for (const QStorageInfo &v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady() || isPseudo(v) || seen.contains(v.rootPath()))
            continue;
        seen.insert(v.rootPath());
        QString entry = v.rootPath();
        const QString name = v.name();
        if (!name.isEmpty())
            entry += " [" + name + "]";
        if (v.isRoot())
            entries.prepend(entry);
        else
            entries.append(entry);
    }
    if (entries.isEmpty() || driveRoot(entries.first()) != "/")
        entries.prepend("/");
    return entries;
}

QString driveRoot(const QString &entry)
{
    const int bracket = entry.indexOf(" [");
    return bracket > 0 ? entry.left(bracket) : entry;
}

QString driveEntryFor(const QString &path, const QStringList &entries)
{
    // The longest mount root that contains the path.
    QString best;
    int bestLength = -1;
    for (const QString &e : entries) {
        const QString root = driveRoot(e);
        const bool inside = root == "/" || path == root || path.startsWith(root + "/");
        if (inside && root.size() > bestLength) {
            best = e;
            bestLength = root.size();
        }
    }
    return best;
}
