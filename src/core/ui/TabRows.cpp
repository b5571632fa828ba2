#include "core/ui/TabRows.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>

#include <algorithm>
#include <numeric>

namespace {
constexpr int Padding = 8; // beside each caption, in all
}

TabRows::TabRows(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int TabRows::addTab(const QString &text)
{
    m_texts << text;
    if (m_current < 0)
        m_current = 0;
    updateGeometry();
    update();
    return count() - 1;
}

void TabRows::setCurrentIndex(int index)
{
    if (index < 0 || index >= count() || index == m_current)
        return;
    m_current = index;
    update();
    emit currentChanged(index);
}

int TabRows::captionWidth(int index) const
{
    return fontMetrics().horizontalAdvance(m_texts.at(index)) + Padding;
}

// The fewest rows on which every caption fits whole in an equal share of the width.
int TabRows::perRow() const
{
    for (int rows = 1; rows < count(); ++rows) {
        const int per = (count() + rows - 1) / rows;
        int widest = 0;
        for (int i = 0; i < count(); ++i)
            widest = std::max(widest, captionWidth(i));
        if (widest * per <= width())
            return per;
    }
    return 1;
}

int TabRows::rowCount() const
{
    const int per = std::max(1, perRow());
    return (count() + per - 1) / per;
}

QRect TabRows::tabRect(int index) const
{
    if (index < 0 || index >= count())
        return {};
    const int per = perRow(), rows = rowCount();
    const int row = index / per, column = index % per;
    const int rowHeight = height() / std::max(1, rows);
    const int left = width() * column / per, right = width() * (column + 1) / per;
    return QRect(left, row * rowHeight, right - left, rowHeight);
}

QSize TabRows::sizeHint() const
{
    int total = 0;
    for (int i = 0; i < count(); ++i)
        total += captionWidth(i);
    return QSize(total, fontMetrics().height() + 8);
}

void TabRows::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab option;
        option.initFrom(this);
        option.rect = tabRect(i);
        option.text = m_texts.at(i);
        option.shape = QTabBar::RoundedNorth;
        option.position = QStyleOptionTab::Middle;
        if (i == m_current)
            option.state |= QStyle::State_Selected;
        else
            option.state &= ~QStyle::State_HasFocus;
        painter.drawControl(QStyle::CE_TabBarTab, option);
    }
}

void TabRows::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    for (int i = 0; i < count(); ++i) {
        if (tabRect(i).contains(event->position().toPoint())) {
            emit tabBarClicked(i);
            setCurrentIndex(i);
            return;
        }
    }
}

void TabRows::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        const int step = event->key() == Qt::Key_Left ? -1 : 1;
        setCurrentIndex((m_current + step + count()) % count());
        return;
    }
    QWidget::keyPressEvent(event);
}

void TabRows::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    update();
}
