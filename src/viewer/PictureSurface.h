#pragma once
#include <QImage>
#include <QRect>
#include <cstdint>

// The pixel, copy and fill operations the effects use on the viewer's
// picture areas (RGB32 QImages). Colours are 0x00BBGGRR; -1 is "no colour".
namespace Surface {

constexpr int32_t InvalidColour = -1;

// DrawMode values of a filled box.
enum DrawMode : int { Invert = 6, XorPen = 7, MaskPen = 9, CopyPen = 13, MergePen = 15 };

int32_t toBgr(QRgb rgb);
QRgb fromBgr(int32_t colour);

// Colour at (x, y), or -1 outside the picture.
int32_t GetPixel(const QImage &image, int x, int y);

// Sets one pixel; positions outside the picture are ignored.
void SetPixelV(QImage &image, int x, int y, int32_t colour);

// Copies the source rectangle (x2, y2, w2, h2) of source into the destination
// rectangle (x1, y1, w1, h1) of dest, stretching pixel by pixel (nearest
// pixel, so that enlarged blocks stay sharp). A negative width or height
// mirrors: the source then runs from x2 + w2 to x2. A source width and
// height of 0 mean the whole source.
void PaintPicture(QImage &dest, const QImage &source, int x1, int y1, int w1, int h1,
                  int x2 = 0, int y2 = 0, int w2 = 0, int h2 = 0);

// Fills the rectangle with the colour under the draw mode (6, 7, 9, 13, 15;
// any other mode copies).
void FillBox(QImage &image, const QRect &rect, int32_t colour, int drawMode);

// An empty picture area of the given size cleared to the background colour.
QImage EmptyPicture(const QSize &size, int32_t backColour);

}
