#pragma once
#include <QVideoFrame>
#include <QWidget>

class QVideoSink;

// The media player's picture: paints the clip's current frame itself, in
// proportion, on black. Frames arrive through a plain QVideoSink, so the
// decoder never waits on a native video window: with QVideoWidget's own
// window, a window not yet exposed when the clip started (the display sizes
// that resize the player once the clip's size is known) left the video sink
// waiting for ever - a black area, and no end of stream.
class VideoArea : public QWidget {
    Q_OBJECT
public:
    explicit VideoArea(QWidget *parent = nullptr);

    QVideoSink *videoSink() const { return m_sink; }
    // Frames painted since the last clear().
    int framesPainted() const { return m_painted; }
    // Drops the frame shown (a new clip, or none).
    void clear();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVideoSink *m_sink;
    QVideoFrame m_frame;
    bool m_fresh = false;
    int m_painted = 0;
};
