#pragma once
#include <QImage>

// A new Format_RGB32 picture (contents undefined), or a null image when it
// cannot be allocated. Large pictures come from a small pool of recycled
// buffers: an effect's result usually replaces a picture of the same size,
// and touching fresh memory page by page costs several times the effect.
QImage newPicture(int width, int height);

// Gives the pooled buffers back to the system (tests, low memory).
void releasePictureBuffers();
