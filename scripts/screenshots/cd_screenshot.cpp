// Pictures the CD player playing track 2 of a generated disc image:
//   cd_screenshot <png path>
// Run through cd-screenshot.sh, which gives it an X server and a sound server.
#include "cd/ImageDrive.h"
#include "cd/MciInterpreter.h"
#include "TestDisc.h"
#include "cd/ui/frmCD.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: cd_screenshot <png path>\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString cue = buildTestDisc(dir.path(), "tones", {75, 300, 150});
    MciInterpreter mci;
    if (cue.isEmpty() || !mci.useImageDrive().insert(cue))
        return 1;
    frmCD w(nullptr, &mci);
    w.move(40, 40);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w) || !QTest::qWaitFor([&] { return w.loaded(); }, 3000))
        return 1;
    w.cmdNext->click();
    w.cmdPlay->click();
    QTest::qWait(2400);   // a few seconds into the track, as a listener would see it
    if (!w.playing() || !w.lblDisplay->text().startsWith(" [02] 00:0"))
        return 1;
    const QRect frame = w.frameGeometry().adjusted(-8, -8, 8, 8);
    const QPixmap shot = w.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    return shot.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
