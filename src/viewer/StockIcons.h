#pragma once
#include <QImage>

// The six stock pictures of the thumbnail view (the spare image list):
// 1 other file, 2 video, 3 audio, 4 text, 5 web page, 6 Flash movie.
namespace StockIcons {

constexpr int Count = 6;

// Stock picture number (1..6) drawn on a transparent square of size pixels;
// a null image for any other number.
QImage icon(int number, int size);

}
