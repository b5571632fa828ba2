#pragma once
#include "effects/PictureSave.h"

#include <QImage>
#include <cstdint>

class QPrinter;

// Prints the picture at its own size (as it shows on a 96 dpi screen) at the
// top-left of the page: portrait for shift 0, landscape otherwise.
OutputResult PrintPic(const QImage &picture, int16_t shift, QPrinter &printer);

// Puts the picture on the system clipboard (the GUI thread only).
void copyToClipboard(const QImage &picture);
