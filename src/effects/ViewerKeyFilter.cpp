#include "ViewerKeyFilter.h"

#include "QtKeyCodes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

ViewerKeyFilter::ViewerKeyFilter(QWidget *viewer, Handler handler)
    : QObject(viewer), m_viewer(viewer), m_handler(std::move(handler))
{
    qApp->installEventFilter(this);
}

ViewerKeyFilter::~ViewerKeyFilter()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool ViewerKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!m_viewer || !widget || widget->window() != m_viewer || !m_viewer->isActiveWindow())
        return false;
    if (type == QEvent::ShortcutOverride) {
        event->accept(); // no shortcut of a child takes the key away
        return false;
    }
    // A key press is delivered to the focus widget and then to each parent
    // that ignores it; the first delivery is the one to take.
    const VirtualKey key = toVirtualKey(*static_cast<QKeyEvent *>(event));
    if (m_handler)
        m_handler(key.keyCode, key.shift);
    return true;
}
