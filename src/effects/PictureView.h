#pragma once
#include <QImage>
#include <QSize>
#include <cstdint>

// What the viewer shows of a picture: the picture itself and where it sits.
// All sizes and positions are in pixels; left/top are relative to the viewer
// window's inner area and may be negative.
struct PictureView {
    QImage image;               // Format_RGB32
    int left = 0;
    int top = 0;
    QSize screen{1920, 1080};   // centring refers to the screen
    QSize window{1920, 1080};   // the viewer window's inner size (fit, stretch, alignment)
    int32_t bgColour = 0xFFFFFF;   // 0x00BBGGRR, the background of emptied places
    int16_t edgeTuning = 40;       // threshold of edge and emboss
};
