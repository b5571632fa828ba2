#include "viewer/PictureInfo.h"

#include "viewer/EmbeddedProfile.h"
#include "viewer/SrgbConverter.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>

namespace {
QString degrees(double value, char positive, char negative)
{
    return QStringLiteral("%1\u00b0 %2").arg(std::abs(value), 0, 'f', 5).arg(QChar(value < 0 ? negative : positive));
}
} // namespace

PictureInfo readPictureInfo(const QString &path, const QSize &dimensions)
{
    PictureInfo info;
    const QFileInfo file(path);
    info.fileName = file.fileName();
    info.bytes = file.size();
    const QSize header = QImageReader(path).size();
    info.dimensions = header.isValid() ? header : dimensions;
    info.facts = readPhotoFacts(path);
    QFile f(path);
    if (f.open(QIODevice::ReadOnly))
        info.profile = SrgbConverter::profileName(embeddedIccProfile(f));
    return info;
}

QList<QPair<QString, QString>> pictureInfoLines(const PictureInfo &info)
{
    const PhotoFacts &f = info.facts;
    QList<QPair<QString, QString>> lines;
    auto add = [&lines](const char *label, const QString &text) {
        if (!text.isEmpty())
            lines.append({QString::fromLatin1(label), text});
    };
    add("File", info.fileName);
    add("Size", QStringLiteral("%1 (%2 bytes)").arg(QLocale::c().formattedDataSize(info.bytes)).arg(info.bytes));
    if (info.dimensions.isValid())
        add("Dimensions", QStringLiteral("%1 x %2").arg(info.dimensions.width()).arg(info.dimensions.height()));
    add("Taken", takenText(f));
    add("Camera", f.camera);
    add("Lens", f.lens);
    add("Exposure", f.exposureTime);
    add("Aperture", f.aperture);
    add("ISO", f.iso);
    add("Focal length", f.focalLength);
    if (f.position)
        add("Position", degrees(f.position->x(), 'N', 'S') + QStringLiteral(", ") + degrees(f.position->y(), 'E', 'W'));
    add("Colour profile", info.profile);
    return lines;
}
