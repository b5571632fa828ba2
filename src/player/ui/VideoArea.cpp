#include "player/ui/VideoArea.h"

#include <QPainter>
#include <QVideoSink>

VideoArea::VideoArea(QWidget *parent)
    : QWidget(parent),
      m_sink(new QVideoSink(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The sink is fed from the decoder's thread; the frame is taken over in
    // ours, and only the newest one is painted. The empty frame a stopping
    // pipeline sends leaves the last picture up, as a clip's end does.
    connect(m_sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame &frame) {
        if (!frame.isValid())
            return;
        m_frame = frame;
        m_fresh = true;
        update();
    }, Qt::QueuedConnection);
}

void VideoArea::clear()
{
    m_frame = QVideoFrame();
    m_fresh = false;
    m_painted = 0;
    update();
}

void VideoArea::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_frame.isValid()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    QVideoFrame::PaintOptions options;
    options.backgroundColor = Qt::black;
    options.aspectRatioMode = Qt::KeepAspectRatio;
    m_frame.paint(&painter, rect(), options);
    if (m_fresh) {
        ++m_painted;
        m_fresh = false;
    }
}
