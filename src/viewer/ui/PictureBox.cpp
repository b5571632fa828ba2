#include "viewer/ui/PictureBox.h"

#include "viewer/PictureSurface.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(0, 0);
}

void PictureBox::setPicture(const QImage &image)
{
    m_image = image;
    resize(image.size());
    update();
}

void PictureBox::setBackColor(int32_t bgr)
{
    m_back = bgr;
    update();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, QColor(Surface::fromBgr(m_back)));
    // Only the exposed part: a huge picture is never drawn whole.
    const QRect visible = area.intersected(m_image.rect());
    if (!visible.isEmpty())
        painter.drawImage(visible.topLeft(), m_image, visible);
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit leftPressed(event->position().toPoint());
    else if (event->button() == Qt::RightButton)
        emit rightPressed(event->globalPosition().toPoint());
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        emit dragMoved(event->position().toPoint());
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit released();
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}
