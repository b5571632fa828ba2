#include "info/FileSnatch.h"

#include "core/RawPath.h"
#include "core/UserFileMode.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <QtConcurrent/QtConcurrentRun>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isPlainName(const QByteArray &name)
{
    return !name.contains('/') && !name.contains('\0') && name != "." && name != "..";
}

// Hard links and symbolic links count: replacing the destination would
// replace the source with itself.
bool sameFile(const QByteArray &a, const QByteArray &b)
{
    struct stat sa, sb;
    if (::stat(a.constData(), &sa) != 0 || ::stat(b.constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

SnatchResult fail(SnatchResult r, SnatchStatus s)
{
    r.status = s;
    return r;
}

} // namespace

SnatchResult snatchFile(const QString &sourceFolder, const QString &name, const QString &destFolder)
{
    return snatchFileBytes(sourceFolder, RawPath::fromText(name), destFolder);
}

SnatchResult snatchFileBytes(const QString &sourceFolder, const QByteArray &name,
                             const QString &destFolder)
{
    SnatchResult r;
    if (name.isEmpty())
        return fail(r, SnatchStatus::NothingSelected);
    if (!isPlainName(name))
        return fail(r, SnatchStatus::BadName);
    // Both ends go by the name's bytes: a Latin-1 name is copied as it is.
    const QByteArray source = RawPath::join(RawPath::fromText(sourceFolder), name);
    const QByteArray destination = RawPath::join(RawPath::fromText(destFolder), name);
    r.source = RawPath::display(source);
    r.destination = RawPath::display(destination);

    struct stat sourceStat;
    if (::stat(source.constData(), &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode))
        return fail(r, SnatchStatus::SourceMissing);
    if (sameFile(source, destination))
        return fail(r, SnatchStatus::SameFile);

    const OpenedPath opened(source);
    QFile in(opened.path());
    if (opened.path().isEmpty() || !in.open(QIODevice::ReadOnly))
        return fail(r, SnatchStatus::ReadFailed);

    // The copy is written to a temporary file beside the destination and
    // renamed over the old one when complete; never written in place.
    QTemporaryFile out(QDir(destFolder).filePath(QStringLiteral(".snatch-XXXXXX")));
    if (!out.open())
        return fail(r, SnatchStatus::WriteFailed);

    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0)
            return fail(r, SnatchStatus::ReadFailed);   // the temporary file goes with out
        if (n == 0)
            break;
        if (out.write(buffer.constData(), n) != n)
            return fail(r, SnatchStatus::WriteFailed);
    }
    if (!out.flush() || ::fsync(out.handle()) != 0)
        return fail(r, SnatchStatus::WriteFailed);
    // Keep the permissions the file had, less the user's umask, and its date,
    // as a copy on the desktop does; the copy is complete either way, so these
    // are best effort.
    (void)::fchmod(out.handle(), userFileMode(sourceStat.st_mode & 07777));
    const struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
    (void)::futimens(out.handle(), times);
    const QByteArray temporary = QFile::encodeName(out.fileName());
    if (::rename(temporary.constData(), destination.constData()) != 0)
        return fail(r, SnatchStatus::WriteFailed);
    out.setAutoRemove(false);   // it is the destination now

    r.status = SnatchStatus::Copied;
    return r;
}

QFuture<SnatchResult> snatchFileAsync(const QString &sourceFolder, const QByteArray &name,
                                      const QString &destFolder)
{
    return QtConcurrent::run(snatchFileBytes, sourceFolder, name, destFolder);
}
