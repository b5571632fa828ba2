// Not a test: the viewer with its Effects menu open on File and Turn File,
// where the keys for the file itself are. Run under Xvfb:
//   effects_menu_screenshot out.png
#include "core/AppState.h"
#include "core/OptionSet.h"
#include "effects/ui/EffectsMenu.h"
#include "viewer/ui/frmMedia.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// Opens the submenu named child of the open menu, as the Right key does.
QMenu *openSubmenu(QMenu *menu, const QString &child)
{
    auto *sub = menu->findChild<QMenu *>(child);
    if (!sub)
        return nullptr;
    menu->setActiveAction(sub->menuAction());
    QTest::keyClick(menu, Qt::Key_Right);
    QTest::qWait(300);
    return sub->isVisible() ? sub : nullptr;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QTemporaryDir dir;
    QImage photo(900, 600, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(60 + x * 150 / 900, 90 + y * 120 / 600, 170 - (x + y) * 90 / 1500));
    const QString path = dir.filePath("IMG_2041.jpg");
    if (!photo.save(path, "JPG", 90))
        return 1;

    OptionSet options;
    AppState state;
    frmMedia viewer(options, state);
    viewer.setAttribute(Qt::WA_DeleteOnClose, false);
    QMenu *menu = buildEffectsMenu(&viewer, [&](int16_t key, int16_t shift) { viewer.Form_KeyDown(key, shift); });
    viewer.showPicture(path);
    if (!viewer.waitForPicture() || !QTest::qWaitForWindowExposed(&viewer))
        return 1;
    QTest::qWait(300);
    menu->popup(QPoint(420, 300));
    QTest::qWait(300);
    QMenu *file = openSubmenu(menu, "mnuMfile");
    if (!file || !openSubmenu(file, "mnuTurnFile"))
        return 1;
    return viewer.screen()->grabWindow(0).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
