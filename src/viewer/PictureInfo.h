#pragma once
#include "browser/PhotoFacts.h"

#include <QList>
#include <QPair>
#include <QSize>
#include <QString>

// What the viewer's information panel tells about a picture file: the
// file, its size and dimensions, what the camera recorded and the colour
// profile it carries.
struct PictureInfo {
    QString fileName;
    qint64 bytes = 0;
    QSize dimensions;
    PhotoFacts facts;
    QString profile;   // the embedded colour profile's name; empty: none
};

// Reads it all from the file; dimensions is the size the loader found
// (kept when the file's header does not tell). Slow: not on the window's thread.
PictureInfo readPictureInfo(const QString &path, const QSize &dimensions);

// The panel's lines in order, label and text; fields nothing was recorded
// for are left out.
QList<QPair<QString, QString>> pictureInfoLines(const PictureInfo &info);
