#pragma once
#include <QImage>

// A new Format_RGB32 picture (contents undefined), or a null image when it
// cannot be allocated. Large pictures come from a small pool of recycled
// buffers: an effect's result usually replaces a picture of the same size,
// and touching fresh memory page by page costs several times the effect.
QImage newPicture(int width, int height);

// Rows of a picture that several threads write: the pointers are taken once,
// since scanLine() on a writable image is not for several threads at a time.
class PictureRows {
public:
    explicit PictureRows(QImage &image) : m_bits(image.bits()), m_line(image.bytesPerLine()) {}
    uchar *operator()(qsizetype y) const { return m_bits + y * m_line; }

private:
    uchar *m_bits;
    qsizetype m_line;
};

// Gives the pooled buffers back to the system (tests, low memory).
void releasePictureBuffers();
