#pragma once
#include <QImage>
#include <QString>

#include <functional>

class QIODevice;

// A JPEG of three components, read from file where it stands, decoded at
// its own size into Qt's 32-bit layout while a second thread runs finish
// over the rows already decoded, band by band: the decode is one core's
// work, so on two cores the rows are finished (converted to sRGB, say) for
// little more than the last band's time. Every row has been finished when
// the picture is returned. Null with *error set when the file cannot be
// decoded or no memory is left; a file cut short gives the rows it has, as
// Qt's reader does. The caller has checked the limits and holds the memory.
// The rows go into `into` when it is RGB32 of the picture's size.
QImage decodeJpegInBands(QIODevice &file, const std::function<void(uchar *row, int width)> &finish,
                         QString *error, QImage into = QImage());
