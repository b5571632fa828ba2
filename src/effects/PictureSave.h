#pragma once
#include <QImage>
#include <QString>
#include <cstdint>

struct OutputResult {
    bool ok = false;
    QString path;    // the file written
    QString error;   // what to tell the user when not ok
};

// "gw" + three digits + ".bmp" for n in 1..999.
QString saveName(int n);

// Writes the picture as a 24-bit Windows bitmap under the lowest free name
// gw001.bmp .. gw999.bmp in the folder. The file appears whole or not at all
// and no existing file is ever replaced.
OutputResult SavePic(const QImage &picture, const QString &folder);

// Writes a 24-bit Windows bitmap to path, replacing an earlier file only once
// the new one is complete.
OutputResult writeBitmapReplacing(const QImage &picture, const QString &path);
