#pragma once
// Plays a Windows metafile through libwmf's player onto a wmfdraw::Canvas.
// Free of Qt: libwmf's headers stay inside WmfPlayer.cpp.

#include "viewer/WmfCanvas.h"

#include <cstddef>
#include <memory>
#include <string>

namespace wmfplay {

class WmfPlayer {
public:
    WmfPlayer();
    ~WmfPlayer();
    WmfPlayer(const WmfPlayer &) = delete;
    WmfPlayer &operator=(const WmfPlayer &) = delete;

    // Reads and scans the metafile held in data (which must outlive the
    // player). The canvas decodes bitmaps and measures text while scanning
    // and is drawn on by play(); it must outlive the player too.
    bool open(const unsigned char *data, std::size_t length, wmfdraw::Canvas &canvas);

    // The picture's own size in pixels at 96 dots per inch; files without a
    // physical size get one from their drawing extent.
    int naturalWidth() const { return m_width; }
    int naturalHeight() const { return m_height; }

    // Draws the picture scaled to width x height pixels. Gives up (false)
    // when the drawing takes longer than the time limit.
    bool play(int width, int height, double timeLimitSeconds);

    const std::string &error() const { return m_error; }

    struct Device;   // libwmf's device data, defined in the .cpp

private:
    void *m_api = nullptr;
    Device *m_device = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::string m_error;
};

}
