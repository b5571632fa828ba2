#include "browser/ui/frmFileRead.h"

#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
void buildProgressWindow(QWidget *w, QLabel *&label, QProgressBar *&bar, const QString &text)
{
    w->setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
    auto *layout = new QVBoxLayout(w);
    label = new QLabel(text, w);
    bar = new QProgressBar(w);
    bar->setTextVisible(false);
    layout->addWidget(label);
    layout->addWidget(bar);
    w->setFixedSize(260, 70);
}
} // namespace

void centreOnOwner(QWidget *progress)
{
    QWidget *owner = progress->parentWidget() ? progress->parentWidget()->window() : nullptr;
    if (!owner)
        return;
    QRect area = owner->geometry(); // the owner's client area, on the screen
    if (auto *main = qobject_cast<QMainWindow *>(owner); main && main->menuWidget())
        area.setTop(area.top() + main->menuWidget()->height());
    QRect placed(QPoint(), progress->size());
    placed.moveCenter(area.center());
    placed.moveTop(std::max(placed.top(), area.top()));
    progress->move(placed.topLeft());
}

void frmFileRead::showEvent(QShowEvent *event)
{
    centreOnOwner(this);
    QWidget::showEvent(event);
}

void frmThumbwait::showEvent(QShowEvent *event)
{
    centreOnOwner(this);
    QWidget::showEvent(event);
}

frmFileRead::frmFileRead(QWidget *owner) : QWidget(owner)
{
    buildProgressWindow(this, lblFileRead, barFileRead, "Reading Files...");
    setWindowTitle("Glintwave");
}

frmThumbwait::frmThumbwait(QWidget *owner) : QWidget(owner)
{
    buildProgressWindow(this, lblThumbwait, barThumbs, QString());
    setWindowTitle("Building Thumbnail list");
}

QString frmThumbwait::caption(int index, int count)
{
    return QString("Building file %1 of %2").arg(index + 1).arg(count);
}

int frmThumbwait::barMaximum(int count) { return count - 1 < 1 ? 1 : count - 1; }
