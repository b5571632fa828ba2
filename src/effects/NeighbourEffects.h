#pragma once
#include <QImage>
#include <cstdint>

// Both work on 2 x 2 blocks: the upper row of a block answers the difference
// to the right neighbour, the lower row the difference to the pixel below;
// a difference (sum of channel distances) above threshold marks an edge.
// Neighbours outside the picture read as the invalid colour.
QImage edge(const QImage &picture, int threshold);   // black edges on white
QImage emboss(const QImage &picture, int threshold); // white/black relief on grey

// Moves each pixel down by one with even chance, drawing one number from
// Rnd() per pixel column by column (the first column repeats the number drawn
// last). Places nothing reaches stay black.
QImage addnoise(const QImage &picture);
