#pragma once
#include <QByteArray>
#include <QSize>
#include <QString>

// What the Flash player needs to know about a movie before it plays it:
// its stage, frame count and rate, and whether it is certain to stop on its
// last frame (so that the viewer may close when it has been played).
struct SwfInfo {
    bool valid = false;
    QString problem;          // why `valid` is false, for the user
    int version = 0;
    bool compressed = false;
    QSize stageSize;          // pixels
    double frameRate = 0;     // frames per second
    int frameCount = 0;
    // True only for a plain timeline movie: no script other than a lone stop
    // on its last frame, no buttons, and that stop present. Anything else
    // (no stop: the movie loops; scripts or buttons: it may jump anywhere)
    // leaves it false.
    bool stopsOnLastFrame = false;

    // Seconds from the first frame until the last one has been shown for
    // one frame's time; 0 when not known.
    double playingSeconds() const;
};

SwfInfo readSwfInfo(const QByteArray &bytes);
SwfInfo readSwfInfoFile(const QString &path);
