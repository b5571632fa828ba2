#include "browser/PhotoFacts.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <exiv2/exiv2.hpp>

#include <cmath>
#include <mutex>

namespace {
std::optional<Exiv2::Rational> rational(const Exiv2::ExifData &exif, const char *key)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end() || it->count() == 0)
        return std::nullopt;
    const Exiv2::Rational r = it->toRational(0);
    if (r.second == 0)
        return std::nullopt;
    return r;
}

QString text(const Exiv2::ExifData &exif, const char *key)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() ? QString() : QString::fromStdString(it->toString()).trimmed();
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals).remove(QRegularExpression("\\.?0+$"));
}

// Degrees, minutes and seconds, made negative on the south or west side.
std::optional<double> degrees(const Exiv2::ExifData &exif, const char *key, const char *refKey, char negative)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end() || it->count() < 3)
        return std::nullopt;
    double value = 0;
    for (long i = 0; i < 3; ++i) {
        const Exiv2::Rational r = it->toRational(i);
        if (r.second == 0)
            return std::nullopt;
        value += double(r.first) / r.second / std::pow(60.0, double(i));
    }
    return text(exif, refKey).startsWith(QLatin1Char(negative)) ? -value : value;
}
} // namespace

QString takenText(const PhotoFacts &facts)
{
    return facts.taken.isValid() ? facts.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

PhotoFacts readPhotoFacts(const QString &path)
{
    // exiv2 wants its XMP parser made before threads use it, and otherwise
    // writes its complaints about damaged files to standard error.
    static std::once_flag ready;
    std::call_once(ready, [] {
        Exiv2::XmpParser::initialize();
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    });
    PhotoFacts f;
    try {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        const Exiv2::ExifData &exif = image->exifData();
        QString when = text(exif, "Exif.Photo.DateTimeOriginal");
        if (when.isEmpty())
            when = text(exif, "Exif.Image.DateTime");
        f.taken = QDateTime::fromString(when, QStringLiteral("yyyy:MM:dd HH:mm:ss"));
        const QString make = text(exif, "Exif.Image.Make"), model = text(exif, "Exif.Image.Model");
        f.camera = model.startsWith(make) ? model : QStringList{make, model}.join(' ').trimmed();
        f.lens = text(exif, "Exif.Photo.LensModel");
        if (const auto t = rational(exif, "Exif.Photo.ExposureTime")) {
            const double seconds = double(t->first) / t->second;
            f.exposureTime = seconds < 1 && seconds > 0 ? QStringLiteral("1/%1 s").arg(std::lround(1 / seconds))
                                                        : QStringLiteral("%1 s").arg(number(seconds, 1));
        }
        if (const auto a = rational(exif, "Exif.Photo.FNumber"))
            f.aperture = QStringLiteral("f/%1").arg(number(double(a->first) / a->second, 1));
        const QString iso = text(exif, "Exif.Photo.ISOSpeedRatings");
        if (!iso.isEmpty())
            f.iso = QStringLiteral("ISO %1").arg(iso);
        if (const auto l = rational(exif, "Exif.Photo.FocalLength"))
            f.focalLength = QStringLiteral("%1 mm").arg(number(double(l->first) / l->second, 1));
        const auto lat = degrees(exif, "Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSLatitudeRef", 'S');
        const auto lon = degrees(exif, "Exif.GPSInfo.GPSLongitude", "Exif.GPSInfo.GPSLongitudeRef", 'W');
        if (lat && lon)
            f.position = QPointF(*lat, *lon);
    } catch (const std::exception &e) {   // Exiv2::Error, and std::bad_alloc on a hostile file
        f.error = QString::fromLocal8Bit(e.what());
    }
    return f;
}
