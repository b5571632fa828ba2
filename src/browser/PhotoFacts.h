#pragma once
#include <QDateTime>
#include <QPointF>
#include <QSize>
#include <QString>

#include <optional>

// What the camera recorded in a picture (EXIF, read with exiv2): when it
// was taken, with what, how, and where. Empty fields where nothing was
// recorded; the texts are ready to show.
struct PhotoFacts {
    QDateTime taken;                 // the moment of capture, local time as recorded
    QString camera;                  // "Make Model"
    QString lens;
    QString exposureTime;            // "1/250 s"
    QString aperture;                // "f/2.8"
    QString iso;                     // "ISO 200"
    QString focalLength;             // "35 mm"
    std::optional<QPointF> position; // latitude, longitude in degrees (south and west negative)
    QString error;                   // why nothing could be read (not a picture exiv2 knows, ...)
};

// The moment taken as every view shows it ("2024-05-17 14:03:22"), or empty.
QString takenText(const PhotoFacts &facts);

// Reads the facts of the file at path; slow on a large file: not on the
// window's thread.
PhotoFacts readPhotoFacts(const QString &path);
