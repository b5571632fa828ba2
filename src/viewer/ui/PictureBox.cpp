#include "viewer/ui/PictureBox.h"

#include "effects/PictureView.h"
#include "viewer/PictureSurface.h"
#include "viewer/SrgbConverter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

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
    if (m_view) {
        // The view is in screen pixels; the box covers them in the desktop's units.
        const qreal ratio = devicePixelRatioF();
        const QRectF place(m_view->left / ratio, m_view->top / ratio, m_view->image.width() / ratio,
                           m_view->image.height() / ratio);
        setGeometry(QRect(QPoint(qFloor(place.left()), qFloor(place.top())),
                          QPoint(qCeil(place.right()) - 1, qCeil(place.bottom()) - 1)));
    } else {
        resize(0, 0);
    }
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
    if (!m_view)
        return;
    // One picture pixel on one screen pixel: the picture is drawn at the
    // screen's ratio, from where it starts inside the box (the box's edge
    // may fall between two screen pixels).
    const qreal ratio = devicePixelRatioF();
    const QImage &image = m_view->image;
    const QPoint start = QPoint(m_view->left, m_view->top) - (QPointF(pos()) * ratio).toPoint();
    // Only the exposed part: a huge picture is never drawn whole.
    const QRect exposed = QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio).toAlignedRect();
    const QRect visible = exposed.translated(-start).intersected(image.rect());
    if (visible.isEmpty())
        return;
    const QRectF target(QPointF(visible.topLeft() + start) / ratio, QSizeF(visible.size()) / ratio);
    if (m_monitor.isEmpty())
        painter.drawImage(target, image, visible);
    else
        painter.drawImage(target, forMonitor(image, visible));
}

void PictureBox::setMonitorProfile(const QByteArray &icc)
{
    if (icc == m_monitor)
        return;
    m_monitor = icc;
    m_converted = QImage();
    update();
}

const QImage &PictureBox::forMonitor(const QImage &image, const QRect &part)
{
    if (m_converted.isNull() || m_convertedKey != image.cacheKey() || m_convertedPart != part) {
        m_converted = SrgbConverter::shared().toDisplay(image.copy(part), m_monitor);
        m_convertedKey = image.cacheKey();
        m_convertedPart = part;
    }
    return m_converted;
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
