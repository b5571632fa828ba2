// Not a test: saves pictures of several entries chosen in each of the main
// window's three views, of the menu the right mouse button opens over them
// and of the File menu, into the folder given as the first argument. Run it under Xvfb, once
// as it is and once with QT_SCALE_FACTOR=2 (names then end in "-scale2").
#include "app/LinkedParts.h"
#include "app/frmMain.h"
#include "browser/DetailModel.h"
#include "browser/FileListModel.h"
#include "core/SettingsStore.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

#include "SaveWindow.h"

namespace {
// The window and, when shown, the popup menu over it, as the screen shows them.
bool saveScreenArea(QWidget *window, QWidget *popup, const QString &path)
{
    QTest::qWait(300);
    QRect area = window->frameGeometry();
    if (popup && popup->isVisible())
        area = area.united(popup->frameGeometry());
    return window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path);
}

void choose(QAbstractItemView *view, const QList<int> &rows)
{
    view->setFocus();
    view->selectionModel()->clearSelection();
    for (int row : rows)
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          view->visualRect(view->model()->index(row, 0)).center());
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    const QString suffix = qEnvironmentVariableIsSet("QT_SCALE_FACTOR") && qgetenv("QT_SCALE_FACTOR") != "1"
                               ? QStringLiteral("-scale2")
                               : QString();
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath("cache")));
    const QString shoot = dir.filePath("Shoot");
    QDir().mkpath(shoot);
    const char *names[] = {"IMG_2040.jpg", "IMG_2041.jpg", "IMG_2042.jpg", "IMG_2043.jpg", "IMG_2044.jpg",
                           "IMG_2045.jpg", "IMG_2046.jpg", "IMG_2047.jpg"};
    for (int i = 0; i < 8; ++i) {
        QImage picture(160, 120, QImage::Format_RGB32);
        QPainter p(&picture);
        p.fillRect(picture.rect(), QColor::fromHsv(i * 40, 120, 230));
        p.setBrush(QColor::fromHsv((i * 40 + 180) % 360, 200, 150));
        p.drawEllipse(QPoint(80, 60), 20 + 4 * i, 30);
        p.end();
        picture.save(shoot + "/" + names[i]);
    }
    QDir::setCurrent(shoot);

    LinkedParts parts;

    frmMain window(std::make_shared<SettingsStore>(dir.filePath("screens.ini")), parts);
    window.Form_Load();
    window.options().SortDir = 1;
    // At scale 2 the window must still fit the 1280-pixel screen the menus are grabbed from.
    window.resize(suffix.isEmpty() ? QSize(700, 420) : QSize(620, 420));
    window.move(0, 0);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        std::fprintf(stderr, "the main window never became active\n");
        return 1;
    }
    window.goToFolder(shoot);
    bool ok = true;

    window.mnuList_Click();
    choose(window.lvPics, {1, 2, 5});
    ok = saveWindow(&window, out + "/main-list-chosen" + suffix + ".png") && ok;

    window.mnuDetail_Click();
    QTest::qWaitFor([&] { return !window.detailModel()->index(0, 1).data().toString().isEmpty(); }, 5000);
    choose(window.grdPics, {0, 3, 4});
    ok = saveWindow(&window, out + "/main-detailed-chosen" + suffix + ".png") && ok;

    window.mnuThumbs_Click();
    QTest::qWaitFor([&] { return window.listModel()->rowCount() == 8; }, 10000);
    choose(window.lvPics, {0, 2, 4});
    ok = saveWindow(&window, out + "/main-thumbnails-chosen" + suffix + ".png") && ok;

    // The right button over a chosen thumbnail.
    const QRect item = window.lvPics->visualRect(window.listModel()->index(4, 0));
    QTest::mousePress(window.lvPics->viewport(), Qt::RightButton, {}, item.center());
    QContextMenuEvent menuAsked(QContextMenuEvent::Mouse, item.center(),
                                window.lvPics->viewport()->mapToGlobal(item.center()));
    QApplication::sendEvent(window.lvPics->viewport(), &menuAsked);
    QTest::qWaitFor([&] { return window.mnuFiles->isVisible(); }, 3000);
    ok = window.mnuFiles->isVisible() && saveScreenArea(&window, window.mnuFiles, out + "/main-context-menu" + suffix + ".png") && ok;
    window.mnuFiles->hide();

    // The File menu with the file commands and their keys.
    window.menuBar()->setActiveAction(window.mnuFile->menuAction());
    QTest::qWaitFor([&] { return window.mnuFile->isVisible(); }, 3000);
    ok = window.mnuFile->isVisible() && saveScreenArea(&window, window.mnuFile, out + "/main-file-menu" + suffix + ".png") && ok;
    window.mnuFile->hide();
    if (!ok)
        std::fprintf(stderr, "a picture was not saved\n");
    return ok ? 0 : 1;
}
