#pragma once
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
    const PictureView *m_view = nullptr;
    int32_t m_back = 0;
};
