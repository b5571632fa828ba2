#include "effects/PictureSave.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QTemporaryFile>

#include "core/UserFileMode.h"

#include <optional>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString saveName(int n)
{
    return QStringLiteral("gw%1.bmp").arg(n, 3, 10, QLatin1Char('0'));
}

namespace {
// BMP as the viewer's pictures are: 24 bits a pixel, no alpha. Qt writes
// RGB32 as 24-bit lines by itself, faster than from a converted copy.
bool writeBmp(const QImage &picture, QIODevice *device, QString *error)
{
    const QImage rgb = picture.format() == QImage::Format_RGB32 ? picture
                                                                : picture.convertToFormat(QImage::Format_RGB32);
    QImageWriter writer(device, "BMP");
    if (!writer.write(rgb)) {
        *error = writer.errorString();
        return false;
    }
    return true;
}
QString folderFull(const QString &folder)
{
    return QStringLiteral("Cannot save the picture: gw001.bmp to gw999.bmp all exist in \"%1\".").arg(folder);
}

// Where the system offers files without a name (Linux), the picture is
// written into one and only then linked under the first free gw name: a run
// cut short (a crash, a kill) leaves nothing behind, and linking never
// replaces a file. Nothing when the folder cannot hold such a file; the
// caller then writes a named temporary file instead.
std::optional<OutputResult> saveUnnamed(const QImage &picture, const QDir &d, int n)
{
#if defined(O_TMPFILE)
    static const bool haveProc = QFileInfo(QStringLiteral("/proc/self/fd")).isDir();
    if (!haveProc)
        return std::nullopt;
    const int fd = ::open(QFile::encodeName(d.path()).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC,
                          userFileMode());
    if (fd < 0)
        return std::nullopt;   // not supported here: the named way
    OutputResult r;
    QFile out;
    if (!out.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    QString why;
    if (!writeBmp(picture, &out, &why) || !out.flush() || ::fchmod(fd, userFileMode()) != 0
        || ::fdatasync(fd) != 0) {
        r.error = QStringLiteral("Cannot save the picture in \"%1\": %2")
                      .arg(d.path(), why.isEmpty() ? out.errorString() : why);
        return r;
    }
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (; n <= 999; ++n) {
        const QString path = d.filePath(saveName(n));
        if (QFileInfo::exists(path))
            continue;
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(path).constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            r.ok = true;
            r.path = path;
            return r;
        }
        if (errno != EEXIST) {
            r.error = QStringLiteral("Cannot save the picture as \"%1\": %2")
                          .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return r;
        }
    }
    r.error = folderFull(d.path());
    return r;
#else
    Q_UNUSED(picture); Q_UNUSED(d); Q_UNUSED(n);
    return std::nullopt;
#endif
}
} // namespace

OutputResult SavePic(const QImage &picture, const QString &folder)
{
    OutputResult r;
    if (picture.isNull()) {
        r.error = QStringLiteral("There is no picture to save.");
        return r;
    }
    const QFileInfo dir(folder);
    if (folder.isEmpty() || !dir.isDir()) {
        r.error = QStringLiteral("Cannot save the picture: the folder \"%1\" does not exist.").arg(folder);
        return r;
    }
    const QDir d(folder);
    int n = 1;
    while (n <= 999 && QFileInfo::exists(d.filePath(saveName(n))))
        ++n;
    if (n > 999) {
        r.error = folderFull(folder);
        return r;
    }

    QString why;
    const std::optional<OutputResult> unnamed = saveUnnamed(picture, d, n);
    if (unnamed)
        return *unnamed;

    // Written beside the target, then renamed into place; QFile::rename never
    // replaces an existing file, so a name taken meanwhile moves us on.
    QTemporaryFile temp(d.filePath(QStringLiteral(".gw-XXXXXX.tmp")));
    if (!temp.open()) {
        r.error = QStringLiteral("Cannot save the picture in \"%1\": %2").arg(folder, temp.errorString());
        return r;
    }
    // QTemporaryFile makes a private file; a saved picture is the user's like any other.
    if (!writeBmp(picture, &temp, &why) || !temp.flush() || !giveUserPermissions(temp)) {
        r.error = QStringLiteral("Cannot save the picture in \"%1\": %2").arg(folder, why.isEmpty() ? temp.errorString() : why);
        return r;
    }
    temp.close();
    for (; n <= 999; ++n) {
        const QString path = d.filePath(saveName(n));
        if (QFileInfo::exists(path))
            continue;
        if (temp.rename(path)) {
            temp.setAutoRemove(false);
            r.ok = true;
            r.path = path;
            return r;
        }
        if (!QFileInfo::exists(path)) {
            r.error = QStringLiteral("Cannot save the picture as \"%1\": %2").arg(path, temp.errorString());
            return r;
        }
    }
    r.error = folderFull(folder);
    return r;
}

OutputResult writeBitmapReplacing(const QImage &picture, const QString &path)
{
    OutputResult r;
    QSaveFile file(path);
    QString why;
    if (!file.open(QIODevice::WriteOnly)) {
        r.error = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
        return r;
    }
    if (!writeBmp(picture, &file, &why)) {
        file.cancelWriting();
        r.error = QStringLiteral("Cannot write \"%1\": %2").arg(path, why);
        return r;
    }
    if (!file.commit()) {
        r.error = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
        return r;
    }
    r.ok = true;
    r.path = path;
    return r;
}

