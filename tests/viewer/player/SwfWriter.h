#pragma once
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QRect>
#include <QSize>

// Builds small SWF movies for the tests: a background, one filled square
// placed on the first frame, a number of frames, and optional actions.
struct SwfMovieShape {
    int version = 6;
    QSize stage{200, 150};       // pixels
    double frameRate = 12;
    int frames = 3;
    QColor background{0, 0, 255};
    QColor square{255, 0, 0};
    QRect squareRect{50, 25, 100, 100};   // pixels
    QList<int> stopFrames;        // 1-based frames holding a stop action
    QList<int> gotoFirstFrames;   // 1-based frames holding "go to frame 1 and play"
    bool actionScript3 = false;   // mark the movie as AS3 (FileAttributes)
    bool compressed = false;      // CWS instead of FWS
};

QByteArray buildSwf(const SwfMovieShape &shape);
