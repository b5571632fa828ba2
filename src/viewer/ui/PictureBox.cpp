#include "viewer/ui/PictureBox.h"

#include "effects/PictureView.h"
#include "viewer/PictureSurface.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(0, 0);
}

void PictureBox::setView(const PictureView *view)
{
    m_view = view;
    viewChanged();
}

void PictureBox::viewChanged()
{
    if (m_view)
        setGeometry(m_view->left, m_view->top, m_view->image.width(), m_view->image.height());
    else
        resize(0, 0);
    update();
}

const QImage &PictureBox::picture() const
{
    static const QImage none;
    return m_view ? m_view->image : none;
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
    const QImage &image = picture();
    const QRect visible = area.intersected(image.rect());
    if (!visible.isEmpty())
        painter.drawImage(visible.topLeft(), image, visible);
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
