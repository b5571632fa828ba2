#pragma once
#include <QImage>
#include <QWidget>
#include <cstdint>

// A picture area: shows its persistent image at the image's own size, on its
// background colour, and reports the mouse to its window.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    // Assigns a picture; the area takes its size. A null image empties it.
    void setPicture(const QImage &image);
    const QImage &picture() const { return m_image; }
    // The persistent image for pixel work; call update() after changing it.
    QImage &image() { return m_image; }

    void setBackColor(int32_t bgr);
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
    QImage m_image;
    int32_t m_back = 0;
};
