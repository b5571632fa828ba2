#pragma once
#include <QSize>
#include <QString>
#include <QStringList>

// The player's display sizes, numbered as the setup dialog lists them.
namespace displaysize {

enum Mode {
    Original = 0,
    HalfSize = 1,
    DoubleSize = 2,
    FullScreen = 3,
    NinthScreen = 4,
    SixteenthScreen = 5,
    QuarterScreen = 6,
    HalfScreen = 7,
};

constexpr int Count = 8;

// "Original", "Half Size", ... in list order.
QStringList names();

// Clamps a stored option to a valid mode (unknown values show the original size).
int normalised(int mode);

// The size of the picture area for a clip of native size `clip` on a screen
// of size `screen`:
//  - Original, Half Size, Double Size: the clip's size times 1, 1/2, 2; an
//    invalid size when the clip's size is not known (audio, not yet loaded).
//  - Full Screen: the whole screen.
//  - 1/9, 1/16, 1/4 and 1/2 Screen: that share of the screen's area with the
//    screen's proportions, i.e. each side times 1/3, 1/4, 1/2 and 1/sqrt(2).
//    These do not depend on the clip, which is letterboxed inside.
QSize videoArea(int mode, QSize clip, QSize screen);

// True when the area depends on the clip's own size.
bool dependsOnClip(int mode);

}
