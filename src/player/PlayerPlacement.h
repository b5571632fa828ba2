#pragma once
#include <QRect>
#include <QRectF>
#include <QSizeF>

// Where the viewer puts its players on the screen. Media player geometry is
// in twips, the Flash player's in pixels, as the viewer's code uses them.
namespace playerplacement {

// Video: centred at the player's current size; at display size 4 (1/9
// Screen) the player then becomes a third of the screen each way, keeping
// the top-left corner it had when centred at its old size.
QRectF videoTwips(QSizeF playerTwips, QSizeF screenTwips, int videoSize);

// Audio: docked along the bottom of the screen, the screen's full width.
QRectF audioTwips(double playerHeightTwips, QSizeF screenTwips);

// A label (the "Now playing " caption) centred on the screen.
QRectF centredTwips(QSizeF labelTwips, QSizeF screenTwips);

// Flash: the screen less 5 pixels on every side, each axis converted from
// twips on its own; never a negative size.
QRect flashPixels(QSizeF screenTwips);

}
