#include "FileSnatch.h"

#include "UserFileMode.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtConcurrent/QtConcurrentRun>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

QString joinPath(const QString &folder, const QString &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

bool isPlainName(const QString &name)
{
    return !name.contains('/') && !name.contains(QChar(0)) && name != "." && name != "..";
}

// Hard links and symbolic links count: replacing the destination would
// replace the source with itself.
bool sameFile(const QString &a, const QString &b)
{
#ifdef Q_OS_UNIX
    struct stat sa, sb;
    const QByteArray pa = QFile::encodeName(a), pb = QFile::encodeName(b);
    if (::stat(pa.constData(), &sa) != 0 || ::stat(pb.constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#else
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca.compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) == 0;
#endif
}

SnatchResult fail(SnatchResult r, SnatchStatus s)
{
    r.status = s;
    return r;
}

} // namespace

SnatchResult snatchFile(const QString &sourceFolder, const QString &name, const QString &destFolder)
{
    SnatchResult r;
    if (name.isEmpty())
        return fail(r, SnatchStatus::NothingSelected);
    if (!isPlainName(name))
        return fail(r, SnatchStatus::BadName);
    r.source = joinPath(sourceFolder, name);
    r.destination = joinPath(destFolder, name);

    const QFileInfo sourceInfo(r.source);
    if (!sourceInfo.isFile())
        return fail(r, SnatchStatus::SourceMissing);
    if (sameFile(r.source, r.destination))
        return fail(r, SnatchStatus::SameFile);

    QFile in(r.source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(r, SnatchStatus::ReadFailed);

    // QSaveFile writes a temporary file beside the destination and renames it
    // over the old one on commit; never write in place.
    QSaveFile out(r.destination);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return fail(r, SnatchStatus::WriteFailed);

    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0) {
            out.cancelWriting();
            out.commit();   // discards the temporary file
            return fail(r, SnatchStatus::ReadFailed);
        }
        if (n == 0)
            break;
        if (out.write(buffer.constData(), n) != n) {
            out.cancelWriting();
            out.commit();
            return fail(r, SnatchStatus::WriteFailed);
        }
    }
    if (!out.commit())
        return fail(r, SnatchStatus::WriteFailed);

    // Keep the date and permissions the file had, less the user's umask, as a
    // copy on the desktop does. The copy is complete either way, so these are
    // best effort.
    {
        QFile copied(r.destination);
        if (copied.open(QIODevice::Append))
            copied.setFileTime(sourceInfo.lastModified(), QFileDevice::FileModificationTime);
    }
    QFile::setPermissions(r.destination, userFilePermissions(sourceInfo.permissions()));

    r.status = SnatchStatus::Copied;
    return r;
}

QFuture<SnatchResult> snatchFileAsync(const QString &sourceFolder, const QString &name,
                                      const QString &destFolder)
{
    return QtConcurrent::run(snatchFile, sourceFolder, name, destFolder);
}
