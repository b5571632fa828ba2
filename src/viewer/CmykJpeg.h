#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// A JPEG made for print (four components: cyan, magenta, yellow and black)
// decoded through its own colour profile, or a standard press profile when
// it carries none, instead of the rough ink arithmetic of Qt's reader. The
// decode shrinks by 1/2, 1/4 or 1/8 where that still covers atLeast (in the
// file's stored orientation). The caller has checked the limits and holds
// the memory.
QImage decodeCmykJpeg(const QByteArray &file, const QSize &atLeast, const QByteArray &icc, bool inverted,
                      QString *error);
