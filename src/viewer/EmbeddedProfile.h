#pragma once
#include <QByteArray>

// The ICC colour profile a picture file carries, taken from its bytes the
// way each format keeps it: JPEG's APP2 "ICC_PROFILE" pieces in order,
// PNG's iCCP chunk (deflated), WebP's ICCP chunk and TIFF's tag 34675.
// Empty when there is none or the file's bookkeeping does not add up.
QByteArray embeddedIccProfile(const QByteArray &file);
