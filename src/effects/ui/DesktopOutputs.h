#pragma once
#include "effects/ViewerOutputs.h"

// The viewer's outputs on this desktop: the system clipboard, the default
// printer and the wallpaper.
class DesktopOutputs : public ViewerOutputs {
public:
    void copyPicture(const QImage &picture) override;
    OutputJob preparePrint(const QImage &picture, int16_t shift, QString *why) override;
    OutputJob prepareWallpaper(const QImage &picture, QString *why) override;
};
