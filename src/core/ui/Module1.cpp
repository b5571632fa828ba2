#include "core/ui/Module1.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QStorageInfo>
#include <QWidget>

namespace Module1 {

void SelectAllText()
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *edit = qobject_cast<QLineEdit *>(focus)) {
        edit->setSelection(0, edit->text().size());
    } else if (auto *combo = qobject_cast<QComboBox *>(focus)) {
        if (combo->lineEdit())
            combo->lineEdit()->setSelection(0, combo->lineEdit()->text().size());
    }
}

int16_t FilterKey(int16_t keyChar, const QString &allowed)
{
    const QString permitted = allowed + QChar(8);
    const QChar typed(static_cast<ushort>(keyChar));
    if (permitted.contains(typed, Qt::CaseInsensitive))
        return keyChar;
    QApplication::beep();
    return 0;
}

void PaintGradient(QWidget *window, int16_t red, int16_t green, int16_t blue)
{
    // Called from the window's paint event: 256 units over the client height,
    // band i from i - 1 to i, flagged channels at 255 - i.
    QPainter painter(window);
    const double unit = window->height() / 256.0;
    const int width = window->screen() ? window->screen()->geometry().width() * 15
                                       : window->width();
    for (int i = 0; i < 256; ++i) {
        const int level = 255 - i;
        const QColor colour(red ? level : 0, green ? level : 0, blue ? level : 0);
        const double top = (i - 1) * unit;
        painter.fillRect(QRectF(0, top, width, unit + 1.0), colour);
    }
}

void UnloadAllForms()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w->isVisible() || w->isWindow())
            w->close();
    }
}

bool IsCDDrive(QString &drive)
{
    QString root = drive;
    const int bracket = root.indexOf(" [");
    if (bracket > 0)
        root.truncate(bracket);
    const QStorageInfo info(root);
    if (!info.isValid() || info.rootPath() != root)
        return false;
    const QString device = QString::fromLocal8Bit(info.device());
    return device.startsWith("/dev/sr") || device.startsWith("/dev/scd")
        || device.startsWith("/dev/cdrom");
}

int32_t SetTopmost(QWidget *window, int16_t onTop)
{
    const bool top = (onTop == -1);
    // Wayland gives programs no say over stacking: the hint would only
    // re-create the window, so nothing is asked and nothing is placed.
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        return 0;
    const bool wasVisible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, top);
    if (wasVisible)
        window->show();
    return top ? 1 : 0;
}

} // namespace Module1
