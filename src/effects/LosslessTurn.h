#pragma once
#include <QString>

// Turns or flips a JPEG file on disk without decoding it again (libjpeg-
// turbo's lossless transform), so that no quality is lost. The picture is
// turned as the user sees it: a camera's orientation tag is applied first
// and then reset to upright; every other marker (EXIF, colour profile,
// comments) is kept. A picture whose size is not a multiple of the JPEG
// block would lose its edge: it is refused with a message saying so. The
// new file is written beside the old and renamed over it only when whole.
namespace losslessturn {

enum class Turn { Right, Left, Half, FlipHorizontal, FlipVertical };

struct Outcome {
    bool ok = false;
    QString error;   // names the file and the reason
};

Outcome turnJpegFile(const QString &path, Turn turn);

// The orientation tag (1 to 8) of the JPEG's EXIF, or 1 when it has none.
int exifOrientation(const QByteArray &jpeg);
// The JPEG with its EXIF orientation tag set to 1 (upright), where it has one.
QByteArray withUprightOrientation(QByteArray jpeg);

} // namespace losslessturn
