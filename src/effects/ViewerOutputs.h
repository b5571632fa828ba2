#pragma once
#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>

// An output prepared on the window's thread that runs on a worker: returns
// what to tell the user, or nothing when it went well.
using OutputJob = std::function<QString()>;

// The outputs that need the desktop, implemented on the window side.
class ViewerOutputs {
public:
    virtual ~ViewerOutputs() = default;
    virtual void copyPicture(const QImage &picture) = 0;
    // Print (shift: the key's shift state) and wallpaper: an empty job with
    // *why set when it cannot be done.
    virtual OutputJob preparePrint(const QImage &picture, int16_t shift, QString *why) = 0;
    virtual OutputJob prepareWallpaper(const QImage &picture, QString *why) = 0;
};
