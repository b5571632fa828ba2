#pragma once
#include <QByteArray>
#include <QImage>
#include <QWidget>
#include <cstdint>

struct PictureView;

// A picture area: shows the picture of a view it is given (it keeps no copy)
// at the picture's own size and place, on its background colour, and
// reports the mouse to its window.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    // The view to draw; it must outlive the box.
    void setView(const PictureView *view);
    // The view changed: takes its picture's size and place and redraws.
    void viewChanged();
    const QImage &picture() const;

    void setBackColor(int32_t bgr);
    // The monitor's profile: the picture (sRGB) is drawn in its colours.
    // Empty: drawn as it is.
    void setMonitorProfile(const QByteArray &icc);
    int32_t backColor() const { return m_back; }

signals:
    void leftPressed(const QPoint &pos);
    void rightPressed(const QPoint &globalPos);
    void dragMoved(const QPoint &pos);
    void released();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    const QImage &forMonitor(const QImage &image, const QRect &part);

    const PictureView *m_view = nullptr;
    int32_t m_back = 0;
    QByteArray m_monitor;
    // The part last converted for the monitor, so that a repaint of the
    // same part (a menu closing over it) costs nothing.
    qint64 m_convertedKey = 0;
    QRect m_convertedPart;
    QImage m_converted;
};
