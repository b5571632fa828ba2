#include "effects/PictureSave.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include "core/NewFile.h"
#include "core/UserFileMode.h"

#include <cstring>
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

    // Written whole first, then given the first free gw name: a run cut
    // short leaves nothing behind, and no file is ever replaced.
    const NewFile saved = writeNewFile(folder, [n](int i) { return saveName(n + i); }, 1000 - n,
                                       [&picture](QFileDevice &out, QString *why) { return writeBmp(picture, &out, why); });
    if (saved.ok) {
        r.ok = true;
        r.path = saved.path;
    } else if (saved.allTaken) {
        r.error = folderFull(folder);
    } else if (!saved.failedName.isEmpty()) {
        r.error = QStringLiteral("Cannot save the picture as \"%1\": %2").arg(saved.failedName, saved.error);
    } else {
        r.error = QStringLiteral("Cannot save the picture in \"%1\": %2").arg(folder, saved.error);
    }
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

